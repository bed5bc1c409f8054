// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "GlobalShortcuts/Recorder.h"
#include "ui/LayoutChecks.h"
#include "ui/RenderOutput.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/kit/SymbolLabel.h"
#include "ui/onboarding/OnboardingPanel.h"
#include "ui/onboarding/OnboardingPermissionRow.h"
#include "ui/onboarding/OnboardingPermissionsStep.h"
#include "ui/onboarding/OnboardingStatusArea.h"
#include "ui/onboarding/OnboardingTryItStep.h"
#include "ui/onboarding/OnboardingWindowController.h"
#include "ui/onboarding/OnboardingWindowView.h"

#include "support/VirtualAnimationClock.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QTextDocumentFragment>

namespace {

using Page = ui::OnboardingStatusArea::Page;

// The pixels of `widget` leaning to orange and those leaning to green, over any light or dark
// background and at any opacity.
std::pair<int, int> orangeAndGreen(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    int orange = 0;
    int green = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            orange += c.red() - c.blue() > 50 && c.red() > c.green();
            green += c.green() - c.red() > 40 && c.green() > c.blue();
        }
    }
    return {orange, green};
}

class OnboardingWindowTest : public UiFixture
{
protected:
    // The window as lateInit opens it, through the factory.
    ui::OnboardingWindowController &open(bool permissionsOnly)
    {
        app->setOnboardingWindow(ui::createOnboardingWindow(*app, permissionsOnly));
        auto &controller = static_cast<ui::OnboardingWindowController &>(*app->onboardingWindow());
        controller.createPanel();
        if (permissionsOnly)
            controller.startPermissionsOnlyObserver();
        else
            controller.startObserving();
        controller.installActivationObserver();
        controller.show(0);
        return controller;
    }
    ui::OnboardingWindowView &view(ui::OnboardingWindowController &controller)
    {
        return *controller.panel()->view();
    }
    // Lets the step change (0.3 s of real animation) run to its end.
    static bool stepChanged(ui::OnboardingWindowView &view)
    {
        return testsupport::waitUntil(
            [&view] { return view.tryItStep() && view.permissionsStep()->isHidden(); }, 5000);
    }
};

TEST_F(OnboardingWindowTest, PermissionsOnlyIsDoneOnceAccessibilityAloneIsBack)
{
    permissions->microphone = false;
    permissions->trusted = false;
    create();
    auto &controller = open(true);
    ui::OnboardingPermissionsStep &step = *view(controller).permissionsStep();
    EXPECT_TRUE(controller.panel()->isVisible());
    EXPECT_EQ(controller.panel()->size(), QSize(400, 480));
    EXPECT_FALSE(step.mainButton()->isEnabled());
    EXPECT_EQ(step.mainButton()->text(), QStringLiteral("Done"));
    EXPECT_FALSE(shown(step.readyLabel()));
    EXPECT_TRUE(shown(step.microphoneRow()->button()));
    EXPECT_EQ(step.microphoneRow()->button()->text(), QStringLiteral("Grant Access"));
    render(*controller.panel(), QStringLiteral("onboarding-permissions-only"));

    // The permission poll sees Accessibility again; the microphone still is not granted.
    {
        testsupport::VirtualAnimationClock clock;
        permissions->trusted = true;
        app->refreshPermissions();
        EXPECT_TRUE(step.mainButton()->isEnabled());
        EXPECT_TRUE(shown(step.readyLabel()));
        EXPECT_EQ(step.readyLabel()->text(), QStringLiteral("Accessibility restored!"));
        EXPECT_TRUE(shown(step.microphoneRow()->button()));
        EXPECT_TRUE(shown(step.accessibilityRow()->grantedLabel()));
        // The granted symbol takes the old one's place: for a while the orange hand shrinks and
        // fades while the green check mark grows in, frame by frame.
        ui::SymbolLabel &icon = *step.accessibilityRow()->icon();
        EXPECT_EQ(icon.symbol(), QStringLiteral("checkmark.circle.fill"));
        ASSERT_TRUE(icon.isReplacing());
        QList<std::pair<int, int>> frames{orangeAndGreen(icon)};
        for (int i = 0; i < 30 && icon.isReplacing(); ++i) {
            clock.frame();
            frames.append(orangeAndGreen(icon));
            if (i == 2)
                render(*step.accessibilityRow(), QStringLiteral("onboarding-permission-replacing"));
        }
        EXPECT_FALSE(icon.isReplacing());
        QStringList seen;
        for (const auto &[orange, green] : frames)
            seen.append(QStringLiteral("%1/%2").arg(orange).arg(green));
        EXPECT_GT(frames.front().first, 20) << qPrintable(seen.join(' '));
        EXPECT_TRUE(std::any_of(frames.cbegin(), frames.cend(), [](const auto &frame) {
            return frame.first > 5 && frame.second > 5;
        })) << qPrintable(seen.join(' '));
        EXPECT_EQ(frames.back().first, 0) << qPrintable(seen.join(' '));
        EXPECT_GT(frames.back().second, 20) << qPrintable(seen.join(' '));
    }
    render(*controller.panel(), QStringLiteral("onboarding-permissions-only-done"));

    const QPointer<ui::OnboardingPanel> panel = controller.panel();
    step.mainButton()->click();
    EXPECT_EQ(app->onboardingWindow(), nullptr);
    EXPECT_FALSE(app->onboardingComplete());
    // The window fades out (its observer has begun that on the grant), then goes with its
    // controller; let go from here, outside any event loop, it waits for a flush of deletions.
    EXPECT_TRUE(testsupport::waitUntil(
        [&panel] {
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return panel.isNull();
        },
        2000));
}

TEST_F(OnboardingWindowTest, ContinueWaitsForBothPermissionsAndAGrantWarmsTheMicrophoneOnce)
{
    permissions->microphone = false;
    permissions->trusted = true;
    create();
    auto &controller = open(false);
    ui::OnboardingPermissionsStep &step = *view(controller).permissionsStep();
    EXPECT_EQ(step.mainButton()->text(), QStringLiteral("Continue"));
    EXPECT_FALSE(step.mainButton()->isEnabled());
    EXPECT_FALSE(shown(step.readyLabel()));
    render(*controller.panel(), QStringLiteral("onboarding-permissions"));

    step.microphoneRow()->button()->click();
    permissions->answerMicrophoneRequests(false);
    QApplication::processEvents();
    EXPECT_FALSE(app->micPermissionGranted());
    EXPECT_FALSE(app->recorder().isWarmingUp());
    EXPECT_EQ(workspace->requests.filter(QStringLiteral("activate")).size(), 2); // show, answer

    step.microphoneRow()->button()->click();
    permissions->answerMicrophoneRequests(true);
    QApplication::processEvents();
    EXPECT_TRUE(app->micPermissionGranted());
    EXPECT_TRUE(app->recorder().isWarmingUp());
    EXPECT_TRUE(step.mainButton()->isEnabled());
    EXPECT_EQ(step.readyLabel()->text(), QStringLiteral("All permissions granted!"));
    EXPECT_FALSE(shown(step.microphoneRow()->button()));
    ASSERT_TRUE(
        testsupport::waitUntil([&] { return !step.microphoneRow()->icon()->isReplacing(); }));
    render(*controller.panel(), QStringLiteral("onboarding-permissions-granted"));

    step.mainButton()->click();
    ASSERT_TRUE(stepChanged(view(controller)));
    ui::OnboardingTryItStep *tryIt = view(controller).tryItStep();
    ASSERT_NE(tryIt, nullptr);
    EXPECT_FALSE(step.isVisible());
    EXPECT_EQ(tryIt->pos(), QPoint(0, 0));
    EXPECT_FALSE(app->onboardingComplete()); // nothing written by "Continue"
}

TEST_F(OnboardingWindowTest, TryItFollowsARealDictationWithoutPastingAndSwitchesTheTrigger)
{
    testsupport::HttpReply hello = testsupport::HttpReply::json(200, R"({"text":"hello"})");
    // Answered once the "Transcribing…" picture is taken.
    hello.delayMs = 700;
    server.enqueue(hello, "/inference");
    defaults->setString(QStringLiteral("serverURL"), server.url());
    create();
    app->recorder().setOnAudioLevel([this](float level) { app->handleAudioLevel(level); });
    auto &controller = open(false);
    view(controller).setShowTryIt(true);
    ASSERT_TRUE(stepChanged(view(controller)));
    ui::OnboardingTryItStep &tryIt = *view(controller).tryItStep();
    ui::OnboardingStatusArea &status = *tryIt.statusArea();
    EXPECT_EQ(status.page(), Page::Idle);
    EXPECT_EQ(status.idleHint()->text(), QStringLiteral("Hold <b>Fn</b> to start"));
    EXPECT_EQ(tryIt.subtitle()->text(), QStringLiteral("Hold <b>Fn</b> and say “hello”"));
    EXPECT_FALSE(shown(tryIt.recorder()));
    render(*controller.panel(), QStringLiteral("onboarding-try-it"));

    app->startRecording();
    scheduler->advance(1.0);
    EXPECT_EQ(status.page(), Page::Recording);
    EXPECT_GT(app->currentAudioLevel(), 0.0f);
    // The bars spring to the level over a few frames of real time.
    testsupport::waitUntil([] { return false; }, 300);
    render(*controller.panel(), QStringLiteral("onboarding-try-it-recording"));
    app->stopRecording();
    EXPECT_EQ(status.page(), Page::Processing);
    render(*controller.panel(), QStringLiteral("onboarding-try-it-processing"));
    EXPECT_EQ(status.page(), Page::Processing);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(status.page(), Page::Transcript);
    EXPECT_EQ(status.transcriptLabel()->text(), QStringLiteral("hello"));
    EXPECT_EQ(status.worksLabel()->text(), QStringLiteral("It works!"));
    EXPECT_TRUE(keys->posted().isEmpty()); // onboarding is not complete: nothing is pasted
    render(*controller.panel(), QStringLiteral("onboarding-try-it-works"));

    // Messages are shown verbatim, even when they look like markup.
    app->setState(RecordingState::error(QStringLiteral("Server error 500: <b>busy</b>")));
    EXPECT_EQ(status.page(), Page::Error);
    EXPECT_TRUE(QTextDocumentFragment::fromHtml(status.errorLabel()->text())
                    .toPlainText()
                    .endsWith(QStringLiteral(" Server error 500: <b>busy</b>")));
    render(*controller.panel(), QStringLiteral("onboarding-try-it-error"));

    // "Custom": the recorder and its hint replace nothing but the Fn wording, saved at once.
    tryIt.picker()->segments()->button(1)->click();
    EXPECT_FALSE(app->useFnKey());
    EXPECT_EQ(defaults->boolean(QStringLiteral("useFnKey")), false);
    EXPECT_TRUE(shown(tryIt.recorder()));
    EXPECT_TRUE(tryIt.recorder()->field()->text().isEmpty());
    EXPECT_EQ(tryIt.subtitle()->text(), QStringLiteral("Hold your shortcut and say “hello”"));
    app->setState(RecordingState::idle());
    render(*controller.panel(), QStringLiteral("onboarding-try-it-custom"));

    // Clicked, the field records: it asks for the shortcut and pauses every hot key meanwhile.
    ASSERT_TRUE(testsupport::waitUntil([&] { return controller.panel()->isActiveWindow(); }));
    tryIt.recorder()->field()->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(tryIt.recorder()->field()->isRecording());
    EXPECT_TRUE(shortcuts->isAnyRecorderActive());
    render(*controller.panel(), QStringLiteral("onboarding-try-it-recording-shortcut"));
}

// A 12 pt desktop font, the window's texts grown with it: each step still fits the 400 × 480
// window.
TEST_F(OnboardingWindowTest, AtALargeDesktopFontBothStepsFit)
{
    const testsupport::DesktopFont desktopFont(12);
    permissions->microphone = false;
    permissions->trusted = false;
    create();
    auto &controller = open(false);
    render(*controller.panel(), QStringLiteral("onboarding-12pt-permissions"));
    EXPECT_EQ(testsupport::cutWidgets(*controller.panel()).join(u'\n').toStdString(), "");
    view(controller).setShowTryIt(true);
    ASSERT_TRUE(stepChanged(view(controller)));
    render(*controller.panel(), QStringLiteral("onboarding-12pt-try-it"));
    EXPECT_EQ(testsupport::cutWidgets(*controller.panel()).join(u'\n').toStdString(), "");
}

TEST_F(OnboardingWindowTest, ALongTranscriptShowsFourWholeLinesThenAnEllipsis)
{
    create();
    auto &controller = open(false);
    view(controller).setShowTryIt(true);
    ASSERT_TRUE(stepChanged(view(controller)));
    ui::OnboardingTryItStep &tryIt = *view(controller).tryItStep();
    ui::OnboardingStatusArea &status = *tryIt.statusArea();
    app->addToHistory(QStringLiteral(
        "Hello and welcome, this is a rather long first dictation that goes on well past what "
        "the little bubble can hold, so that the window has to decide what to show of it and "
        "where to cut it off, which it should do after the fourth line with an ellipsis, never "
        "by slicing a line of text in half horizontally."));
    render(*controller.panel(), QStringLiteral("onboarding-try-it-long-transcript"));
    ASSERT_EQ(status.page(), Page::Transcript);
    ui::ElidedLabel &bubble = *status.transcriptLabel();
    const QStringList lines = bubble.shownLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026))) << qPrintable(lines.last());
    EXPECT_GE(bubble.height(), 4 * bubble.fontMetrics().lineSpacing() + 24);
    // "It works!" whole, below the bubble and above the button.
    QLabel &works = *status.worksLabel();
    EXPECT_EQ(works.visibleRegion().boundingRect(), works.rect());
    const auto inPanel = [&controller](const QWidget &widget) {
        return QRect(widget.mapTo(controller.panel(), QPoint(0, 0)), widget.size());
    };
    EXPECT_GT(inPanel(works).top(), inPanel(bubble).bottom());
    EXPECT_LT(inPanel(works).bottom(), inPanel(*tryIt.finishButton()).top());
}

TEST_F(OnboardingWindowTest, FinishingSetupClosesAndReleasesTheWindowAndWarmsTheRecorder)
{
    permissions->postEvents = false;
    create();
    auto &controller = open(false);
    view(controller).setShowTryIt(true);
    ASSERT_TRUE(stepChanged(view(controller)));
    const QPointer<ui::OnboardingPanel> panel = controller.panel();
    view(controller).tryItStep()->finishButton()->click();
    EXPECT_TRUE(app->onboardingComplete());
    EXPECT_EQ(defaults->boolean(QStringLiteral("onboardingComplete")), true);
    EXPECT_EQ(app->onboardingWindow(), nullptr);
    EXPECT_EQ(permissions->postEventRequests, 1);
    EXPECT_TRUE(app->recorder().isWarmingUp());
    EXPECT_TRUE(testsupport::waitUntil([&panel] { return panel.isNull(); }, 2000));
}

TEST_F(OnboardingWindowTest, WithoutAScreenItRetriesFiveTimesThenGivesUp)
{
    testsupport::LogCapture onboardingLog(QStringLiteral("parlovox.onboarding"));
    create();
    ui::OnboardingWindowController controller(*app, false);
    controller.show(0);
    EXPECT_EQ(onboardingLog.lines(QStringLiteral("critical")),
              QStringList{QStringLiteral("[Onboarding] show() bailing — panel is nil")});
    onboardingLog.clear();

    controller.createPanel();
    controller.setScreenProvider([] { return nullptr; });
    controller.show(0);
    scheduler->advance(10.0);
    QStringList expected{
        QStringLiteral("info: [Onboarding] show() called (retry 0), panel: exists")};
    for (int attempt = 1; attempt <= 5; ++attempt) {
        expected << QStringLiteral("info: [Onboarding] NSScreen.main nil, retrying in 0.5s "
                                   "(attempt %1)")
                        .arg(attempt)
                 << QStringLiteral("info: [Onboarding] show() called (retry %1), panel: exists")
                        .arg(attempt);
    }
    expected << QStringLiteral("critical: [Onboarding] show() gave up — NSScreen.main still nil "
                               "after 5 retries");
    EXPECT_EQ(onboardingLog.lines(), expected);
    EXPECT_FALSE(controller.panel()->isVisible());
}

} // namespace
