// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/FloatingIndicatorController.h"
#include "ui/indicator/FloatingPanel.h"
#include "ui/indicator/RecordingIndicatorView.h"
#include "ui/kit/FrameClock.h"
#include "ui/kit/WindowFade.h"

#include "engine/AppStateFixture.h"
#include "ui/RenderOutput.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <numbers>

using ui::FloatingIndicatorController;
using ui::WindowFade;

TEST(FloatingIndicatorController, PanelSitsAtTheTopCentreOfTheScreen)
{
    const QSize panel(164, 38);
    EXPECT_EQ(FloatingIndicatorController::panelOrigin(QRect(0, 0, 1440, 875), panel),
              QPoint(638, 22));
    // A second screen right of the first, below a 27 px top bar.
    EXPECT_EQ(FloatingIndicatorController::panelOrigin(QRect(1440, 27, 1920, 1053), panel),
              QPoint(2318, 49));
}

namespace {

class FloatingIndicatorTest : public AppStateFixture
{
protected:
    void SetUp() override
    {
        AppStateFixture::SetUp();
        create();
        controller = std::make_unique<FloatingIndicatorController>(*app);
        controller->createPanel();
        controller->startObserving();
        panel = controller->panel();
    }
    bool clockRunning() const { return controller->view()->frameClock().isRunning(); }
    bool waitUntilOpaque()
    {
        return testsupport::waitUntil(
            [&] { return !WindowFade::isFading(panel) && panel->windowOpacity() == 1.0; }, 2000);
    }
    bool waitUntilGone()
    {
        return testsupport::waitUntil([&] { return !panel->isVisible(); }, 2000);
    }
    // Gives a fade that should not happen time to show itself.
    static void linger()
    {
        testsupport::waitUntil([] { return false; }, 250);
    }

    std::unique_ptr<FloatingIndicatorController> controller;
    QWidget *panel = nullptr;
};

// The mask of a capsule `capsule`: round at both ends, so the corners of its bounding rectangle
// and the points just outside each end's arc are left out, and each end's tip is kept.
void expectCapsuleMask(const QRegion &mask, const QRect &capsule)
{
    EXPECT_EQ(mask.boundingRect(), capsule);
    const int radius = capsule.height() / 2;
    const int middle = capsule.top() + radius;
    // At 45 degrees on each end's arc, two pixels outwards and two inwards.
    const int diagonal = int(radius * (1 - 1 / std::numbers::sqrt2));
    for (const int x : {capsule.left(), capsule.right()}) {
        const int inwards = x == capsule.left() ? 1 : -1;
        for (const int y : {capsule.top(), capsule.bottom()}) {
            const int down = y == capsule.top() ? 1 : -1;
            EXPECT_FALSE(mask.contains(QPoint(x, y))) << x << "," << y;
            const QPoint onArc(x + inwards * diagonal, y + down * diagonal);
            EXPECT_FALSE(mask.contains(onArc - QPoint(inwards * 2, down * 2))) << onArc.x();
            EXPECT_TRUE(mask.contains(onArc + QPoint(inwards * 2, down * 2))) << onArc.x();
        }
        EXPECT_TRUE(mask.contains(QPoint(x, middle))) << x;
    }
}

} // namespace

TEST_F(FloatingIndicatorTest, ShownWhileRecordingAndTranscribingThenFadesAway)
{
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(clockRunning());

    app->setState(RecordingState::recording());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(WindowFade::isFading(panel));
    EXPECT_LT(panel->windowOpacity(), 0.5);
    EXPECT_EQ(panel->pos(),
              FloatingIndicatorController::panelOrigin(
                  QGuiApplication::primaryScreen()->availableGeometry(), panel->size()));
    EXPECT_TRUE(clockRunning());
    ASSERT_TRUE(waitUntilOpaque());

    app->setState(RecordingState::processing());
    EXPECT_FALSE(WindowFade::isFading(panel));
    EXPECT_EQ(panel->windowOpacity(), 1.0);

    app->setState(RecordingState::idle());
    EXPECT_TRUE(WindowFade::isFading(panel));
    EXPECT_TRUE(panel->isVisible());
    ASSERT_TRUE(waitUntilGone());
    EXPECT_FALSE(clockRunning());
}

TEST_F(FloatingIndicatorTest, AnErrorHidesItAndTheDiscardFlashKeepsItForItsSecond)
{
    app->setState(RecordingState::recording());
    ASSERT_TRUE(waitUntilOpaque());
    app->setState(RecordingState::error(QStringLiteral("Paste failed")));
    ASSERT_TRUE(waitUntilGone());

    // A recording too short to keep, as AppState discards it.
    app->startRecording();
    ASSERT_TRUE(waitUntilOpaque());
    scheduler->advance(0.2);
    app->stopRecording();
    ASSERT_TRUE(app->showDiscardedFlash());
    linger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowOpacity(), 1.0);
    scheduler->advance(AppState::discardFlashSeconds);
    EXPECT_FALSE(app->showDiscardedFlash());
    ASSERT_TRUE(waitUntilGone());
    EXPECT_FALSE(clockRunning());
}

// Pressing again right after a transcription ends must not lose the panel to the fade-out that
// was still running.
TEST_F(FloatingIndicatorTest, ARecordingDuringTheFadeOutKeepsThePanel)
{
    app->setState(RecordingState::processing());
    ASSERT_TRUE(waitUntilOpaque());
    app->setState(RecordingState::idle());
    ASSERT_TRUE(testsupport::waitUntil([&] { return panel->windowOpacity() < 1.0; }, 2000));
    app->setState(RecordingState::recording());
    ASSERT_TRUE(waitUntilOpaque());
    linger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(clockRunning());
}

// On a desktop without a compositing manager the see-through corners of the panel would be
// black: the panel is cut to the capsule, following its width, and shows and goes at once.
TEST_F(FloatingIndicatorTest, WithoutACompositorThePanelIsCutToTheCapsuleAndNeverFades)
{
    windowSystem->setCompositing(false);
    double now = 100;
    controller->view()->frameClock().setTimeSource([&now] { return now; });
    const auto settle = [&] {
        now += 2;
        Q_EMIT controller->view()->frameClock().frame();
    };

    app->setState(RecordingState::recording());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(WindowFade::isFading(panel));
    EXPECT_EQ(panel->windowOpacity(), 1.0);
    settle();
    EXPECT_EQ(controller->view()->capsuleRect(now).size(), QSizeF(110, 36));
    expectCapsuleMask(panel->mask(), QRect(27, 1, 110, 36));
    testsupport::saveRender(*panel, QStringLiteral("indicator-uncomposited-recording"));

    app->setState(RecordingState::processing());
    settle();
    EXPECT_EQ(controller->view()->capsuleRect(now).size(), QSizeF(42, 36));
    expectCapsuleMask(panel->mask(), QRect(61, 1, 42, 36));
    testsupport::saveRender(*panel, QStringLiteral("indicator-uncomposited-processing"));

    app->setState(RecordingState::idle());
    EXPECT_FALSE(panel->isVisible());

    // A compositor started meanwhile: the whole panel again, and fades.
    windowSystem->setCompositing(true);
    EXPECT_TRUE(panel->mask().isEmpty());
    app->setState(RecordingState::recording());
    EXPECT_TRUE(WindowFade::isFading(panel));
    ASSERT_TRUE(waitUntilOpaque());
    settle();
    windowSystem->setCompositing(false);
    EXPECT_EQ(panel->mask().boundingRect(), QRect(27, 1, 110, 36));
}

// The indicator belongs where the user works: on the screen of the active window, else the one
// under the pointer, whichever the primary screen is.
TEST_F(FloatingIndicatorTest, OpensOnTheScreenOfTheActiveWindowElseUnderThePointer)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    QScreen *primary = QGuiApplication::primaryScreen();
    QScreen *other = screens.at(0) == primary ? screens.at(1) : screens.at(0);
    const auto originOn = [&](const QScreen *screen) {
        return FloatingIndicatorController::panelOrigin(screen->availableGeometry(), panel->size());
    };
    const auto showAndHide = [&] {
        app->setState(RecordingState::recording());
        const QPoint shownAt = panel->pos();
        EXPECT_TRUE(waitUntilOpaque());
        app->setState(RecordingState::idle());
        EXPECT_TRUE(waitUntilGone());
        return shownAt;
    };

    QCursor::setPos(primary->geometry().center());
    windowSystem->activeWindowAt = other->geometry().center();
    EXPECT_EQ(showAndHide(), originOn(other));

    windowSystem->activeWindowAt.reset();
    EXPECT_EQ(showAndHide(), originOn(primary));
    QCursor::setPos(other->geometry().center());
    EXPECT_EQ(showAndHide(), originOn(other));
    QCursor::setPos(primary->geometry().center());
}
