// SPDX-License-Identifier: GPL-3.0-or-later
// The tray window's two variants, its warnings, the pending-retry row and the state row.
#include "ui/menubar/MenuBarFixture.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Divider.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/Theme.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

using ui::NamedColor;
using ui::Theme;

class MenuBarStatus : public MenuBarFixture
{
protected:
    // The sections of the normal variant's top that are on screen, top to bottom.
    QStringList shownStatusSections() const
    {
        QStringList names;
        const QLayout *layout = find(QStringLiteral("serverStatusRow"))->parentWidget()->layout();
        for (int i = 0; i < layout->count(); ++i) {
            const QWidget *widget = layout->itemAt(i)->widget();
            if (widget && widget->isVisibleTo(view))
                names.append(qobject_cast<const ui::Divider *>(widget) ? QStringLiteral("divider")
                                                                       : widget->objectName());
        }
        return names;
    }
    QString pendingText() const
    {
        return find(QStringLiteral("pendingRetryRow"))->findChild<ui::IconLabel *>()->text();
    }
    void queueRecording(const QString &name)
    {
        const QString path = paths->temporaryDirectory() + QLatin1Char('/') + name;
        writeFile(path, QByteArray(64, '\0'));
        app->retryQueueManager()->enqueue(path, QStringLiteral("Server error 503: busy"));
    }
};

TEST_F(MenuBarStatus, SetupVariantFollowsThePermissionsAndFinishSetupSwitchesToTheNormalOne)
{
    permissions->trusted = false;
    createView(false);
    app->setAccessibilityGranted(false);
    EXPECT_TRUE(shows(QStringLiteral("setupVariant")));
    EXPECT_FALSE(shows(QStringLiteral("normalVariant")));

    // Only the microphone granted: its row is done, Accessibility still asks.
    const auto *microphone = find(QStringLiteral("setupMicrophoneSection"));
    const auto *accessibility = find(QStringLiteral("setupAccessibilitySection"));
    EXPECT_FALSE(microphone->findChild<ui::BorderlessButton *>()->isVisibleTo(view));
    EXPECT_TRUE(accessibility->findChild<ui::BorderlessButton *>()->isVisibleTo(view));
    EXPECT_TRUE(shows(QStringLiteral("accessibilityHint")));
    EXPECT_FALSE(shows(QStringLiteral("allPermissionsGranted")));
    EXPECT_FALSE(find(QStringLiteral("finishSetup"))->isEnabled());
    render(QStringLiteral("menubar-setup-microphone-granted"));

    accessibility->findChild<ui::BorderlessButton *>()->click();
    EXPECT_EQ(permissions->trustPrompts, 1);
    // The setup variant has no keyboard shortcut for Quit.
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    // A shortcut's button acts a moment after the key; give it that moment.
    EXPECT_FALSE(testsupport::waitUntil([this] { return !workspace->requests.isEmpty(); }, 300))
        << qPrintable(workspace->requests.join('|'));

    // The grant arrives through the permission poll.
    app->setAccessibilityGranted(true);
    EXPECT_TRUE(shows(QStringLiteral("allPermissionsGranted")));
    ASSERT_TRUE(find(QStringLiteral("finishSetup"))->isEnabled());
    render(QStringLiteral("menubar-setup-all-granted"));

    find<QPushButton>(QStringLiteral("finishSetup"))->click();
    EXPECT_TRUE(app->onboardingComplete());
    EXPECT_FALSE(shows(QStringLiteral("setupVariant")));
    EXPECT_TRUE(shows(QStringLiteral("normalVariant")));
}

TEST_F(MenuBarStatus, GrantingTheMicrophoneStoresTheAnswerAndBringsTheProgramForward)
{
    permissions->microphone = false;
    permissions->trusted = false;
    createView(false);
    ASSERT_FALSE(app->micPermissionGranted());
    ASSERT_FALSE(app->accessibilityGranted());
    auto *grant =
        find(QStringLiteral("setupMicrophoneSection"))->findChild<ui::BorderlessButton *>();
    // Both rows still ask, and neither says "Granted".
    for (const QString &section :
         {QStringLiteral("setupMicrophoneSection"), QStringLiteral("setupAccessibilitySection")}) {
        EXPECT_TRUE(find(section)->findChild<ui::BorderlessButton *>()->isVisibleTo(view))
            << qPrintable(section);
        for (const QLabel *label : find(section)->findChildren<QLabel *>()) {
            EXPECT_FALSE(label->text() == QStringLiteral("Granted") && label->isVisibleTo(view))
                << qPrintable(section);
        }
    }
    EXPECT_FALSE(shows(QStringLiteral("allPermissionsGranted")));
    render(QStringLiteral("menubar-setup-nothing-granted"));

    // Refused: the request stays on offer, and the program still comes forward.
    grant->click();
    permissions->answerMicrophoneRequests(false);
    EXPECT_FALSE(app->micPermissionGranted());
    EXPECT_EQ(workspace->requests, QStringList{QStringLiteral("activate")});
    EXPECT_TRUE(grant->isVisibleTo(view));

    grant->click();
    permissions->answerMicrophoneRequests(true);
    EXPECT_TRUE(app->micPermissionGranted());
    EXPECT_EQ(workspace->requests.size(), 2);
    EXPECT_FALSE(grant->isVisibleTo(view));
}

TEST_F(MenuBarStatus, WarningsAppearInTheirOrderEachWithItsDividerAndOpenTheDesktopSettings)
{
    createView();
    EXPECT_EQ(shownStatusSections(),
              (QStringList{QStringLiteral("serverStatusRow"), QStringLiteral("divider")}));
    EXPECT_EQ(find<QLabel>(QStringLiteral("serverStatusText"))->text(),
              QStringLiteral("Server offline"));

    app->setAccessibilityGranted(false);
    app->setMicPermissionGranted(false);
    app->setFnKeyConflict(true);
    app->setServerReachable(true);
    EXPECT_EQ(shownStatusSections(),
              (QStringList{QStringLiteral("serverStatusRow"), QStringLiteral("divider"),
                           QStringLiteral("accessibilityWarning"), QStringLiteral("fnKeyWarning"),
                           QStringLiteral("microphoneWarning")}));
    for (const char *warning : {"accessibilityWarning", "fnKeyWarning", "microphoneWarning"})
        EXPECT_EQ(find(QLatin1String(warning))->findChildren<ui::Divider *>().size(), 1) << warning;
    EXPECT_EQ(find<QLabel>(QStringLiteral("serverStatusText"))->text(),
              QStringLiteral("Server connected"));
    render(QStringLiteral("menubar-all-warnings"));

    // Opened, the settings take the window's place; with nothing to open the window stays and
    // says so under the link.
    const QString links[] = {QStringLiteral("openAccessibilitySettings"),
                             QStringLiteral("openMicrophoneSettings")};
    for (const QString &link : links) {
        window->showNear(QRect(100, 0, 24, 24));
        settle();
        find<ui::BorderlessButton>(link)->click();
        EXPECT_FALSE(window->isVisible()) << link.toStdString();
        EXPECT_FALSE(shows(link + QStringLiteral("Failure")));
    }
    workspace->answer = false;
    window->showNear(QRect(100, 0, 24, 24));
    settle();
    for (const QString &link : links)
        find<ui::BorderlessButton>(link)->click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(workspace->requests, (QStringList{QStringLiteral("privacy Accessibility"),
                                                QStringLiteral("privacy Microphone"),
                                                QStringLiteral("privacy Accessibility"),
                                                QStringLiteral("privacy Microphone")}));
    EXPECT_TRUE(shows(QStringLiteral("openAccessibilitySettingsFailure")));
    EXPECT_EQ(find<ui::ElidedLabel>(QStringLiteral("openAccessibilitySettingsFailure"))->fullText(),
              QStringLiteral("No keyboard settings program is installed"));
    EXPECT_TRUE(shows(QStringLiteral("openMicrophoneSettingsFailure")));
    EXPECT_EQ(find<ui::ElidedLabel>(QStringLiteral("openMicrophoneSettingsFailure"))->fullText(),
              QStringLiteral("No sound settings program is installed"));
    render(QStringLiteral("menubar-no-settings-program"));

    app->setAccessibilityGranted(true);
    app->setMicPermissionGranted(true);
    EXPECT_EQ(shownStatusSections(),
              (QStringList{QStringLiteral("serverStatusRow"), QStringLiteral("divider"),
                           QStringLiteral("fnKeyWarning")}));
}

TEST_F(MenuBarStatus, TheStateRowSaysWhatALinuxUserDoesForTheMicrophoneAndForPasting)
{
    permissions->microphone = false;
    createView();
    const auto errorText = [this] {
        return find<ui::IconLabel>(QStringLiteral("errorLabel"))->text();
    };
    app->startRecording();
    ASSERT_TRUE(shows(QStringLiteral("errorLabel")));
    EXPECT_EQ(
        errorText(),
        QStringLiteral("Microphone access required — connect or enable an audio input device"));
    render(QStringLiteral("menubar-microphone-required"));

    app->setMicPermissionGranted(true);
    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"hi"})"), "/inference");
    keys->failKeyDown = true;
    scripts->executionError = QStringLiteral("Can't open display");
    dictate(1.0);
    // The window makes way for the paste, which goes once the focus has had its moment to move.
    ASSERT_TRUE(testsupport::waitUntil([this] { return !window->isVisible(); }));
    scheduler->advance(0.5);
    ASSERT_TRUE(waitUntilSettled());
    // The user opens the window again to see why no text came.
    window->showNear(QRect(100, 0, 24, 24));
    EXPECT_EQ(errorText(),
              QStringLiteral("Paste failed — use an X11 session with the XTEST extension"));
    render(QStringLiteral("menubar-paste-failed"));
}

TEST_F(MenuBarStatus, PendingRowFollowsTheQueueThroughEnqueueAndARetryRun)
{
    createView();
    EXPECT_FALSE(shows(QStringLiteral("pendingRetryRow")));

    // No event is processed in between: the row follows the queue's change signal.
    queueRecording(QStringLiteral("one.wav"));
    ASSERT_TRUE(shows(QStringLiteral("pendingRetryRow")));
    EXPECT_EQ(pendingText(), QStringLiteral("1 recording pending retry"));
    queueRecording(QStringLiteral("two.wav"));
    EXPECT_EQ(pendingText(), QStringLiteral("2 recordings pending retry"));
    EXPECT_EQ(shownStatusSections().last(), QStringLiteral("pendingRetryRow"));
    render(QStringLiteral("menubar-pending-retries"));

    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"first"})"), "/inference");
    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"second"})"), "/inference");
    app->retryQueueManager()->processQueue();
    ASSERT_TRUE(
        testsupport::waitUntil([this] { return !app->retryQueueManager()->isProcessing(); }));
    EXPECT_FALSE(shows(QStringLiteral("pendingRetryRow")));
}

TEST_F(MenuBarStatus, StateRowShowsEachStateAndCutsAnErrorAtTwoLinesAsWritten)
{
    createView();
    // With a paste to come the focused window would make way for it once recording ends.
    app->setAutoPaste(false);
    EXPECT_TRUE(shows(QStringLiteral("idleLabel")));

    app->setState(RecordingState::recording());
    EXPECT_TRUE(ui::FadeAnimation::isRunning(find(QStringLiteral("stateRow"))));
    EXPECT_TRUE(shows(QStringLiteral("recordingLabel")));
    EXPECT_FALSE(shows(QStringLiteral("idleLabel")));
    render(QStringLiteral("menubar-recording"));

    app->setState(RecordingState::processing());
    EXPECT_TRUE(shows(QStringLiteral("processingRow")));
    EXPECT_FALSE(shows(QStringLiteral("recordingLabel")));
    render(QStringLiteral("menubar-processing"));

    // Only a change of state animates the row.
    app->setServerReachable(true);
    EXPECT_FALSE(ui::FadeAnimation::isRunning(find(QStringLiteral("stateRow"))));

    // Server texts may look like markup or like a translation key: both are shown as they are.
    const QString message = QStringLiteral(
        "Server error 502: <b>Bad gateway</b> from the upstream proxy while it was waiting for "
        "the speech model to answer the request of this recording, which took far too long");
    app->setState(RecordingState::error(message));
    const auto *error = find<ui::IconLabel>(QStringLiteral("errorLabel"));
    ASSERT_TRUE(shows(QStringLiteral("errorLabel")));
    settle();
    EXPECT_EQ(error->text(), message);
    const QStringList lines = error->textLabel()->shownLines();
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join('|'));
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Server error 502: <b>")));
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026))) << qPrintable(lines.last());
    EXPECT_EQ(error->textLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(error->symbolColor(), Theme::color(NamedColor::Red));
    render(QStringLiteral("menubar-error"));
}

} // namespace
