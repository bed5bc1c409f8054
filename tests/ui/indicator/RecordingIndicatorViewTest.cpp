// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/RecordingIndicatorView.h"
#include "ui/indicator/AudioWaveform.h"
#include "ui/indicator/AudioWaveformView.h"
#include "ui/indicator/GlowingRingView.h"
#include "ui/kit/FrameClock.h"

#include "engine/AppStateFixture.h"
#include "ui/RenderOutput.h"

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using ui::AudioWaveform;

TEST(AudioWaveform, BarsFollowTheLevelUnderTheirEnvelope)
{
    const AudioWaveform waveform;
    for (const float level : {0.0f, -0.5f, std::numeric_limits<float>::quiet_NaN()}) {
        for (int i = 0; i < 24; ++i)
            EXPECT_EQ(waveform.barHeight(level, i, 22), 2.0) << level << " bar " << i;
    }
    // At full level: envelope 0.4 at the end, 1 − 0.6 × 0.5 / 11.5 in the middle, times each
    // bar's ripple (0.844, 0.834 and 0.923 here).
    EXPECT_NEAR(AudioWaveform::barFraction(1, 0, 24), 0.337540, 1e-5);
    EXPECT_NEAR(AudioWaveform::barFraction(1, 11, 24), 0.812299, 1e-5);
    EXPECT_NEAR(AudioWaveform::barFraction(1, 12, 24), 0.899235, 1e-5);
    EXPECT_NEAR(waveform.barHeight(1, 11, 22), 22 * 0.812299, 1e-3);
    // A whisper still shows every bar at least at the minimum.
    EXPECT_EQ(waveform.barHeight(0.01f, 0, 22), 2.0);
}

namespace {

// Pixels of `image` that are nearly opaque white: the bars themselves, not their glow.
int barPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) > 200;
    return count;
}

} // namespace

// Outside the indicator (the onboarding window shows the bars in a capsule of its own) the
// view follows whatever level it is given, frame by frame.
TEST(AudioWaveformView, FollowsItsLevelSource)
{
    float level = 0;
    double now = 50;
    ui::AudioWaveformView view([&level] { return level; });
    view.setContentsMargins(12, 6, 12, 6);
    view.resize(view.sizeHint());
    view.frameClock()->setTimeSource([&now] { return now; });
    // The bars alone, without the window's background.
    const auto draw = [&] {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    const auto settled = [&] {
        draw();
        now += 2;
        return draw();
    };
    const int quiet = barPixels(settled());
    level = 1;
    const QImage loud = settled();
    testsupport::saveRender(view, QStringLiteral("waveform-view-loud"));
    EXPECT_EQ(view.sizeHint(), QSize(114, 34));
    EXPECT_GT(quiet, 0);
    EXPECT_GT(barPixels(loud), 4 * quiet);
}

TEST(RecordingIndicatorView, BorderHighlightSweepsEveryFourSeconds)
{
    using View = ui::RecordingIndicatorView;
    EXPECT_DOUBLE_EQ(View::sweepLocation(0), 0.1);
    EXPECT_DOUBLE_EQ(View::sweepLocation(2), 0.5);
    EXPECT_NEAR(View::sweepLocation(3.999), 0.9, 1e-3);
    EXPECT_DOUBLE_EQ(View::sweepLocation(4), 0.1);
}

TEST(GlowingRingView, TurnsAndPulsesWithTime)
{
    EXPECT_DOUBLE_EQ(ui::GlowingRingView::rotationDegrees(0), 0);
    EXPECT_DOUBLE_EQ(ui::GlowingRingView::glowOpacity(0), 0.12);
    EXPECT_NEAR(ui::GlowingRingView::glowOpacity(std::numbers::pi / 6), 0.18, 1e-12);
    EXPECT_NEAR(ui::GlowingRingView::rotationDegrees(1.25), 0, 1e-9); // one whole turn
}

namespace {

const QColor kDesktop(0xd8, 0xdc, 0xe2);

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

// The runs of white pixels along row `y` of `area`: one per bar the row crosses.
int whiteRuns(const QImage &image, const QRect &area, int y)
{
    int runs = 0;
    bool inRun = false;
    for (int x = area.left(); x <= area.right(); ++x) {
        const bool white = isWhite(image.pixel(x, y));
        runs += white && !inRun;
        inRun = white;
    }
    return runs;
}

// The white pixels of `area`, and how far apart the leftmost and the rightmost lie.
std::pair<int, int> whitePixels(const QImage &image, const QRect &area)
{
    int count = 0;
    int left = area.right();
    int right = area.left();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isWhite(image.pixel(x, y)))
                continue;
            ++count;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    return {count, count ? right - left + 1 : 0};
}

// The indicator over a light desktop, drawn at chosen moments.
class IndicatorRenders : public AppStateFixture
{
protected:
    void SetUp() override
    {
        AppStateFixture::SetUp();
        create();
        desktop.setFixedSize(164, 38);
        desktop.setAutoFillBackground(true);
        QPalette palette = desktop.palette();
        palette.setColor(QPalette::Window, kDesktop);
        desktop.setPalette(palette);
        view = new ui::RecordingIndicatorView(*app, &desktop);
        view->setGeometry(0, 0, 164, 38);
        view->frameClock().setTimeSource([this] { return now; });
    }
    // Lets every spring settle, then writes the picture and returns it.
    QImage settleAndSave(const QString &name)
    {
        desktop.grab();
        now += 2;
        testsupport::saveRender(desktop, name);
        return desktop.grab().toImage();
    }
    QSizeF capsuleSize() { return view->capsuleRect(now).size(); }
    // Where bars, ring or notice are drawn: the capsule less its insets.
    QRect content() { return view->capsuleRect(now).adjusted(10, 7, -10, -7).toAlignedRect(); }

    QWidget desktop;
    ui::RecordingIndicatorView *view = nullptr;
    double now = 100;
};

} // namespace

TEST_F(IndicatorRenders, EachStateOfTheCapsule)
{
    // Left of the centre: inside the wide capsule, well outside the narrow one and its shadow.
    const QPoint leftOfCentre(33, 19);
    const auto lightness = [](const QImage &image, QPoint at) {
        return QColor(image.pixel(at)).lightness();
    };

    app->setState(RecordingState::recording());
    int quietBar = 0;
    for (const float level : {0.0f, 0.3f, 1.0f}) {
        app->setCurrentAudioLevel(level);
        const QImage image =
            settleAndSave(QStringLiteral("indicator-recording-%1").arg(level, 0, 'f', 1));
        SCOPED_TRACE(level);
        EXPECT_EQ(capsuleSize(), QSizeF(110, 36));
        EXPECT_EQ(image.pixel(2, 2), kDesktop.rgb());
        EXPECT_LT(lightness(image, leftOfCentre), 110);
        EXPECT_EQ(whiteRuns(image, content(), 19), 24);
        // The tallest bar, from the white pixels of its column.
        int bar = 0;
        for (int x = content().left(); x <= content().right(); ++x)
            bar = std::max(bar, whitePixels(image, QRect(x, content().top(), 1, 22)).first);
        if (level == 0.0f)
            quietBar = bar;
        EXPECT_LE(quietBar, 3);
        if (level == 1.0f)
            EXPECT_GE(bar, 14);
    }

    app->setState(RecordingState::processing());
    now = 100.3;
    desktop.grab();
    now += 0.1; // half way: bars shrinking away, ring growing in, capsule narrowing
    testsupport::saveRender(desktop, QStringLiteral("indicator-to-processing"));
    EXPECT_GT(capsuleSize().width(), 42);
    EXPECT_LT(capsuleSize().width(), 110);

    QImage image = settleAndSave(QStringLiteral("indicator-processing"));
    EXPECT_EQ(capsuleSize(), QSizeF(42, 36));
    EXPECT_EQ(content().size(), QSize(22, 22));
    EXPECT_GT(lightness(image, leftOfCentre), 200);
    // The ring's bright arc, and no bar left.
    EXPECT_GE(whitePixels(image, content()).first, 10);
    EXPECT_LT(whiteRuns(image, content(), 19), 3);

    app->setState(RecordingState::idle());
    app->setShowDiscardedFlash(true);
    image = settleAndSave(QStringLiteral("indicator-too-short"));
    EXPECT_EQ(capsuleSize(), QSizeF(110, 36));
    EXPECT_LT(lightness(image, leftOfCentre), 110);
    // The cross and "Too short" across most of the width, in a lighter white than the bars.
    const auto [notice, noticeWidth] = whitePixels(image, content());
    EXPECT_GE(notice, 30);
    EXPECT_GE(noticeWidth, 50);
    EXPECT_LT(whiteRuns(image, content(), 19), 24);
}
