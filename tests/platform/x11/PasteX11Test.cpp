// SPDX-License-Identifier: GPL-3.0-or-later
// Pasting for real: the Linux clipboard, XTEST and xdotool backends deliver a transcript into a
// text field of another X client, and the clipboard comes back afterwards.
#include "engine/PasteManager.h"
#include "platform/linux/QtClipboardPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XTestKeyEventPoster.h"
#include "platform/linux/XdotoolScriptRunner.h"

#include "PasteTargetProcess.h"
#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/FakeKeyEventPoster.h"
#include "support/FakePermissions.h"
#include "support/VirtualScheduler.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::linux_impl::QtClipboardPasteboard;
using platform::linux_impl::XdotoolScriptRunner;
using platform::linux_impl::XTestKeyEventPoster;

// The user's own keyboard, held down while Parlovox pastes.
x11test::XTestClient &userKeyboard()
{
    static x11test::XTestClient client;
    return client;
}

void fakeKey(quint8 keycode, bool press)
{
    userKeyboard().key(keycode, press);
}

bool isKeyDown(quint8 keycode)
{
    return userKeyboard().isKeyDown(keycode);
}

class PasteX11Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(target.start());
    }

    QtClipboardPasteboard pasteboard;
    XTestKeyEventPoster keyEventPoster;
    XdotoolScriptRunner scriptRunner;
    testsupport::FakePermissions permissions;
    x11test::PasteTargetProcess target;
};

TEST_F(PasteX11Test, TheClipboardIsOursAgainAfterAnotherClientTookItMoreRecently)
{
    // Our last X event time is now older than the target's ownership of the clipboard; a stale
    // stamp must not make the server refuse us.
    ASSERT_TRUE(pasteboard.setString(QStringLiteral("ours")));
    ASSERT_TRUE(target.copy(QStringLiteral("theirs")));
    QTest::qWait(50);
    ASSERT_TRUE(target.copy(QStringLiteral("theirs, copied again")));
    EXPECT_TRUE(pasteboard.setString(QStringLiteral("ours again")));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("ours again"));
}

const QString transcript = QStringLiteral("Grüße aus Parlovox — 3 × 4 = 12, \"quoted\" & done.");

TEST_F(PasteX11Test, PastesIntoTheFocusedFieldAndRestoresTheClipboardAfterTwoSeconds)
{
    platform::linux_impl::QtScheduler scheduler;
    PasteManager paste(pasteboard, keyEventPoster, scriptRunner, permissions, scheduler);
    ASSERT_TRUE(target.copy(QStringLiteral("what the user had copied")));

    ASSERT_TRUE(paste.pasteText(transcript));

    EXPECT_TRUE(target.waitForText(transcript)) << target.text().toStdString();
    EXPECT_EQ(pasteboard.string(), transcript);
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return pasteboard.string() == QStringLiteral("what the user had copied"); }, 2600));
}

TEST_F(PasteX11Test, HeldControlOrAltDoesNotSpoilThePaste)
{
    testsupport::VirtualScheduler scheduler;
    PasteManager paste(pasteboard, keyEventPoster, scriptRunner, permissions, scheduler);

    for (const quint8 modifier : {x11test::controlLeft, x11test::altLeft}) {
        SCOPED_TRACE(int(modifier));
        fakeKey(modifier, true);
        ASSERT_TRUE(isKeyDown(modifier));
        const QString text = transcript + QString::number(modifier);
        const QString expected = target.text() + text;

        ASSERT_TRUE(paste.pasteText(text));

        EXPECT_TRUE(target.waitForText(expected)) << target.text().toStdString();
        EXPECT_TRUE(isKeyDown(modifier)); // the user's key is held again afterwards
        fakeKey(modifier, false);
    }
}

TEST_F(PasteX11Test, TheClipboardStaysWhenSomethingElseWasCopiedMeanwhile)
{
    testsupport::VirtualScheduler scheduler;
    PasteManager paste(pasteboard, keyEventPoster, scriptRunner, permissions, scheduler);
    pasteboard.setString(QStringLiteral("before"));

    ASSERT_TRUE(paste.pasteText(transcript));
    ASSERT_TRUE(target.waitForText(transcript));
    ASSERT_TRUE(target.copy(QStringLiteral("copied in the target")));
    scheduler.advance(2);

    EXPECT_EQ(pasteboard.string(), QStringLiteral("copied in the target"));
}

TEST_F(PasteX11Test, TheXdotoolFallbackPastesWhenNoKeyEventCanBeMade)
{
    testsupport::VirtualScheduler scheduler;
    testsupport::FakeKeyEventPoster failingPoster;
    failingPoster.failKeyDown = true;
    PasteManager paste(pasteboard, failingPoster, scriptRunner, permissions, scheduler);
    fakeKey(x11test::altLeft, true); // xdotool clears held modifiers itself

    ASSERT_TRUE(paste.pasteText(transcript));

    EXPECT_TRUE(target.waitForText(transcript)) << target.text().toStdString();
    fakeKey(x11test::altLeft, false);
}

} // namespace
