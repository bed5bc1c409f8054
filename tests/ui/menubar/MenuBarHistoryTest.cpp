// SPDX-License-Identifier: GPL-3.0-or-later
// The tray window's history card, its copy button and the command list.
#include "ui/menubar/MenuBarFixture.h"

#include "engine/TranscriptionLogger.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Theme.h"

#include <QLabel>
#include <QTest>

namespace {

using ui::NamedColor;
using ui::Theme;

class MenuBarHistory : public MenuBarFixture
{
protected:
    ui::BorderlessButton *button(const QString &name) const
    {
        return find<ui::BorderlessButton>(name);
    }
    QString counter() const { return find<QLabel>(QStringLiteral("historyCounter"))->text(); }
    ui::ElidedLabel *transcript() const
    {
        return find<ui::ElidedLabel>(QStringLiteral("transcript"));
    }
};

TEST_F(MenuBarHistory, CardStepsThroughTheHistoryAndJumpsToANewTranscript)
{
    createView();
    EXPECT_FALSE(shows(QStringLiteral("historyCard")));
    EXPECT_FALSE(shows(QStringLiteral("historyDivider")));

    app->addToHistory(QStringLiteral("first words"));
    ASSERT_TRUE(shows(QStringLiteral("historyCard")));
    EXPECT_TRUE(shows(QStringLiteral("historyDivider")));
    EXPECT_FALSE(shows(QStringLiteral("olderButton")));
    EXPECT_FALSE(shows(QStringLiteral("historyCounter")));
    EXPECT_FALSE(shows(QStringLiteral("newerButton")));
    EXPECT_EQ(transcript()->fullText(), QStringLiteral("first words"));

    app->addToHistory(QStringLiteral("second words"));
    EXPECT_EQ(counter(), QStringLiteral("1/2"));
    EXPECT_TRUE(button(QStringLiteral("olderButton"))->isEnabled());
    EXPECT_FALSE(button(QStringLiteral("newerButton"))->isEnabled());
    button(QStringLiteral("olderButton"))->click();
    EXPECT_EQ(counter(), QStringLiteral("2/2"));
    EXPECT_EQ(transcript()->fullText(), QStringLiteral("first words"));
    EXPECT_FALSE(button(QStringLiteral("olderButton"))->isEnabled());
    EXPECT_TRUE(button(QStringLiteral("newerButton"))->isEnabled());

    // A new transcript comes into view at once, even while an older one is shown.
    app->addToHistory(QStringLiteral("third words"));
    EXPECT_EQ(counter(), QStringLiteral("1/3"));
    EXPECT_EQ(transcript()->fullText(), QStringLiteral("third words"));

    for (int i = 4; i <= 51; ++i)
        app->addToHistory(QStringLiteral("words %1").arg(i));
    for (int i = 0; i < 49; ++i)
        button(QStringLiteral("olderButton"))->click();
    EXPECT_EQ(counter(), QStringLiteral("50/50"));
    EXPECT_FALSE(button(QStringLiteral("olderButton"))->isEnabled());
    EXPECT_EQ(transcript()->fullText(), QStringLiteral("second words"));
    render(QStringLiteral("menubar-history-50"));
}

// A label given the width it asks for keeps a short text on one line, whatever fraction of a
// pixel the text's width ends in.
TEST(ElidedLabel, GivenTheWidthItAsksForAShortTextStaysOnOneLine)
{
    const QStringList texts{
        QStringLiteral("Accessibility restored!"), QStringLiteral("All permissions granted!"),
        QStringLiteral("Microphone access required"), QStringLiteral("3 recordings pending retry")};
    for (int pixelSize = 9; pixelSize <= 16; ++pixelSize) {
        for (const QString &text : texts) {
            ui::ElidedLabel label;
            QFont font = label.font();
            font.setPixelSize(pixelSize);
            label.setFont(font);
            // Wrapped first, as in a window not laid out yet.
            label.resize(20, 20);
            label.setFullText(text);
            label.show();
            label.resize(label.sizeHint());
            EXPECT_EQ(label.shownLines().join(QLatin1Char('|')).toStdString(), text.toStdString())
                << pixelSize;
        }
    }
}

TEST_F(MenuBarHistory, LongTranscriptIsCutAtThreeLinesAndCopiedWhole)
{
    createView();
    const QString text = QStringLiteral(
        "This is a long dictation about the <quarterly> plan: we move the release to March, "
        "keep the beta open for two more weeks, write to every tester about the new build and "
        "ask the support team to collect what users say about the paste delay.");
    app->addToHistory(text);
    settle();
    const QStringList lines = transcript()->shownLines();
    ASSERT_EQ(lines.size(), 3) << qPrintable(lines.join('|'));
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    EXPECT_EQ(transcript()->textFormat(), Qt::PlainText);
    EXPECT_TRUE(transcript()->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    render(QStringLiteral("menubar-long-transcript"));

    pasteboard->copyFromElsewhere(QStringLiteral("older clipboard"));
    ui::BorderlessButton *copy = button(QStringLiteral("copyButton"));
    EXPECT_EQ(copy->text(), QStringLiteral("Copy"));
    copy->click();
    EXPECT_EQ(pasteboard->history,
              (QStringList{QStringLiteral("clear"), QStringLiteral("set ") + text}));
    EXPECT_EQ(pasteboard->string(), text);
    EXPECT_EQ(copy->text(), QStringLiteral("Copied!"));
    EXPECT_EQ(copy->symbol(), QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(copy->currentColor(), Theme::color(NamedColor::Green));
    render(QStringLiteral("menubar-copied"));

    // A second press does not extend the first: the label turns back 1.5 s after the first.
    scheduler->advance(1.0);
    copy->click();
    scheduler->advance(0.49);
    EXPECT_EQ(copy->text(), QStringLiteral("Copied!"));
    scheduler->advance(0.02);
    EXPECT_EQ(copy->text(), QStringLiteral("Copy"));
    EXPECT_EQ(copy->symbol(), QStringLiteral("doc.on.doc"));
    EXPECT_EQ(copy->currentColor(), Theme::foreground(copy->palette(), ui::Emphasis::Secondary));
    scheduler->advance(1.0);
    EXPECT_EQ(copy->text(), QStringLiteral("Copy"));
}

TEST_F(MenuBarHistory, CommandsReachTheDesktopAndTheUpdateEntryFollowsTheUpdater)
{
    createView();
    QStringList texts;
    for (const char *name :
         {"openLog", "updateCommand", "settingsCommand", "aboutCommand", "quitCommand"})
        texts.append(buttonText(QLatin1String(name)));
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("Open Transcription Log"),
                           QStringLiteral("Check for Updates…"), QStringLiteral("Settings…"),
                           QStringLiteral("About Parlovox"), QStringLiteral("Quit Parlovox")}));
    ui::BorderlessButton *update = button(QStringLiteral("updateCommand"));
    EXPECT_TRUE(update->isEnabled());
    render(QStringLiteral("menubar-idle"));

    updater->finishCheck(true);
    ASSERT_TRUE(testsupport::waitUntil([this] { return updaterManager->updateAvailable(); }));
    EXPECT_EQ(update->text(), QStringLiteral("Update Available — Install Now"));
    EXPECT_EQ(update->symbol(), QStringLiteral("arrow.down.circle.fill"));
    EXPECT_EQ(update->currentColor(), Theme::color(NamedColor::Blue));
    update->click();
    EXPECT_EQ(updater->calls.last(), QStringLiteral("check"));
    render(QStringLiteral("menubar-update-available"));
    updater->setCanCheck(false);
    EXPECT_FALSE(update->isEnabled());

    int dismissals = 0;
    QObject::connect(view, &ui::MenuBarView::dismissRequested, [&] { ++dismissals; });
    button(QStringLiteral("openLog"))->click();
    button(QStringLiteral("settingsCommand"))->click();
    button(QStringLiteral("aboutCommand"))->click();
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_EQ(dismissals, 3);
    EXPECT_EQ(workspace->requests,
              (QStringList{QStringLiteral("editor ") + app->logger().logPath(),
                           QStringLiteral("activate"), QStringLiteral("activate"),
                           QStringLiteral("about")}));

    // Each of those closed the window; Quit's shortcut works while it is open.
    EXPECT_FALSE(window->isVisible());
    window->showNear(QRect(100, 0, 24, 24));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    workspace->requests.clear();
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    // A shortcut presses its button visibly, for a moment, before it acts.
    EXPECT_TRUE(testsupport::waitUntil([this] { return !workspace->requests.isEmpty(); }, 1000));
    EXPECT_EQ(workspace->requests, QStringList{QStringLiteral("terminate")});
}

} // namespace
