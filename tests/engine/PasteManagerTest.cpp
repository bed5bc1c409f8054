// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PasteManager.h"

#include "support/FakeKeyEventPoster.h"
#include "support/FakePasteboard.h"
#include "support/FakePermissions.h"
#include "support/FakeScriptRunner.h"
#include "support/FakeWindowSystem.h"
#include "support/LogCapture.h"
#include "support/VirtualScheduler.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class PasteManagerTest : public ::testing::Test
{
protected:
    FakePasteboard pasteboard;
    FakePasteboard primarySelection;
    FakeKeyEventPoster poster;
    FakeScriptRunner scripts;
    FakeWindowSystem windowSystem;
    FakePermissions permissions;
    VirtualScheduler scheduler;
    LogCapture log;
    PasteManager paste{pasteboard,   primarySelection, poster,   scripts,
                       windowSystem, permissions,      scheduler};
};

TEST_F(PasteManagerTest, PostsCommandVAndRestoresThePreviousTextTwoSecondsLater)
{
    permissions.trusted = true;
    pasteboard.copyFromElsewhere(QStringLiteral("before"));

    EXPECT_TRUE(paste.pasteText(QStringLiteral("hello world")));

    EXPECT_EQ(pasteboard.history, QStringList({"clear", "set hello world"}));
    EXPECT_TRUE(primarySelection.history.isEmpty());
    EXPECT_EQ(poster.typed(), "[Cmd+V]");
    EXPECT_EQ(poster.lastFilterMask, 5);
    EXPECT_EQ(poster.lastSuppressionState, 0);
    EXPECT_EQ(poster.eventsWithSource, QList<bool>({true, true}));
    EXPECT_TRUE(scripts.sources.isEmpty());
    EXPECT_EQ(log.lines(), QStringList({
                               "info: [PasteManager] pasteText called. AXIsProcessTrusted=true, "
                               "CGPreflightPostEventAccess=false",
                               "info: [PasteManager] CGEvent Cmd+V posted via .cgSessionEventTap",
                           }));

    scheduler.advance(1.999);
    EXPECT_EQ(pasteboard.string(), "hello world");
    scheduler.advance(0.001);
    EXPECT_EQ(pasteboard.string(), "before");
    EXPECT_EQ(pasteboard.history.last(), "set before");
}

TEST_F(PasteManagerTest, RestoresOnlyWhenTheClipboardHeldTextAndStillHoldsTheTranscript)
{
    // Nothing before: the transcript stays and nothing is scheduled.
    EXPECT_TRUE(paste.pasteText(QStringLiteral("one")));
    EXPECT_EQ(scheduler.pendingCount(), 0);

    // The user copies something else within the 2 s: left alone.
    pasteboard.copyFromElsewhere(QStringLiteral("mine"));
    EXPECT_TRUE(paste.pasteText(QStringLiteral("two")));
    pasteboard.copyFromElsewhere(QStringLiteral("copied meanwhile"));
    scheduler.advance(2);
    EXPECT_EQ(pasteboard.string(), "copied meanwhile");

    // Only an image or files (no text) meanwhile: nothing to compare with, left alone.
    EXPECT_TRUE(paste.pasteText(QStringLiteral("three")));
    pasteboard.copyFromElsewhere(std::nullopt);
    scheduler.advance(2);
    EXPECT_EQ(pasteboard.string(), std::nullopt);
}

TEST_F(PasteManagerTest, TwoQuickPastesEndWithTheFirstTranscriptOnTheClipboard)
{
    pasteboard.copyFromElsewhere(QStringLiteral("original"));
    EXPECT_TRUE(paste.pasteText(QStringLiteral("first")));
    scheduler.advance(1);
    EXPECT_TRUE(paste.pasteText(QStringLiteral("second")));
    scheduler.advance(1); // the first restore finds "second" and does nothing
    EXPECT_EQ(pasteboard.string(), "second");
    scheduler.advance(1); // the second restore puts back what it found: "first"
    EXPECT_EQ(pasteboard.string(), "first");
}

TEST_F(PasteManagerTest, WithoutASourceTheEventsAreMadeWithoutOne)
{
    poster.failSource = true;
    EXPECT_TRUE(paste.pasteText(QStringLiteral("x")));
    EXPECT_EQ(poster.typed(), "[Cmd+V]");
    EXPECT_EQ(poster.eventsWithSource, QList<bool>({false, false}));
    EXPECT_EQ(poster.lastFilterMask, -1);
    EXPECT_TRUE(log.lines("critical").isEmpty());
}

TEST_F(PasteManagerTest, FallsBackToTheScriptWhenAnEventCannotBeMade)
{
    pasteboard.copyFromElsewhere(QStringLiteral("before"));
    poster.failKeyUp = true;

    EXPECT_TRUE(paste.pasteText(QStringLiteral("text")));

    EXPECT_TRUE(poster.posted().isEmpty()); // the key-down already made is never posted
    EXPECT_EQ(scripts.sources,
              QStringList({"tell application \"System Events\"\n    key code 9 using command "
                           "down\nend tell"}));
    EXPECT_EQ(PasteManager::fallbackScript.size(), 75);
    EXPECT_EQ(scripts.executions, 1);
    EXPECT_EQ(log.lines().mid(1), QStringList({
                                      "critical: [PasteManager] CGEvent creation failed",
                                      "info: [PasteManager] Cmd+V posted via AppleScript",
                                  }));
    scheduler.advance(2);
    EXPECT_EQ(pasteboard.string(), "before");
}

TEST_F(PasteManagerTest, BothMethodsFailingLeavesTheTextOnTheClipboard)
{
    pasteboard.copyFromElsewhere(QStringLiteral("before"));
    poster.failKeyDown = true;
    scripts.executionError = QStringLiteral("Can't open display");

    EXPECT_FALSE(paste.pasteText(QStringLiteral("text")));

    EXPECT_EQ(
        log.lines("critical"),
        QStringList({
            "[PasteManager] CGEvent creation failed",
            "[PasteManager] AppleScript failed: Can't open display",
            "[PasteManager] All paste methods failed. Text is on clipboard \u2014 user can Cmd+V "
            "manually",
        }));
    EXPECT_EQ(scheduler.pendingCount(), 0);
    scheduler.advance(5);
    EXPECT_EQ(pasteboard.string(), "text");
}

TEST_F(PasteManagerTest, ScriptCreationFailureIsLoggedAtInfoLevel)
{
    poster.failKeyDown = true;
    scripts.failCreation = true;

    EXPECT_FALSE(paste.pasteText(QStringLiteral("text")));

    EXPECT_EQ(scripts.executions, 0);
    EXPECT_EQ(log.lines().mid(1), QStringList({
                                      "critical: [PasteManager] CGEvent creation failed",
                                      "info: [PasteManager] NSAppleScript creation failed",
                                      "critical: [PasteManager] All paste methods failed. Text is "
                                      "on clipboard \u2014 user can "
                                      "Cmd+V manually",
                                  }));
}

} // namespace
