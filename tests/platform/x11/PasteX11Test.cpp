// SPDX-License-Identifier: GPL-3.0-or-later
// Pasting for real: the Linux clipboard, XTEST and xdotool backends deliver a transcript into a
// text field of another X client or a terminal's prompt, and the clipboard comes back afterwards.
#include "engine/PasteManager.h"
#include "platform/linux/QtClipboardPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/linux/XTestKeyEventPoster.h"
#include "platform/linux/XdotoolScriptRunner.h"

#include "PasteTargetProcess.h"
#include "XTestClient.h"
#include "support/EventLoop.h"
#include "support/FakeKeyEventPoster.h"
#include "support/FakePermissions.h"
#include "support/VirtualScheduler.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::linux_impl::QtClipboardPasteboard;
using platform::linux_impl::X11WindowSystem;
using platform::linux_impl::XdotoolScriptRunner;
using platform::linux_impl::XTestKeyEventPoster;
using PasteTarget = platform::WindowSystem::PasteTarget;

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

// A terminal whose program copies every byte typed at it into a file, as it comes (no line
// editing), so what arrived can be read back exactly, control characters included.
class TerminalPrompt
{
public:
    ~TerminalPrompt()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
    }

    // Starts `command` with that program and focuses its window, found by its WM_CLASS class.
    bool start(QStringList command, const QString &windowClass)
    {
        const QString script = m_dir.filePath(QStringLiteral("prompt.sh"));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("#!/bin/sh\nstty -icanon -echo\nexec cat > '" + m_typed.toLocal8Bit() + "'\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        command << script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(command.takeFirst());
        m_process.setArguments(command);
        m_process.start();
        if (!testsupport::waitUntil([&] { return QFile::exists(m_typed); }, 10000))
            return false;
        QProcess focus;
        focus.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--class",
                                                windowClass, "windowfocus", "--sync"});
        return focus.waitForFinished(5000) && focus.exitCode() == 0;
    }

    QByteArray typed() const
    {
        QFile file(m_typed);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Waits until exactly `text` was typed; false after 3 s.
    bool waitForTyped(const QString &text)
    {
        return testsupport::waitUntil([&] { return typed() == text.toUtf8(); }, 3000);
    }

private:
    QTemporaryDir m_dir;
    QString m_typed = m_dir.filePath(QStringLiteral("typed"));
    QProcess m_process;
};

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
    QtClipboardPasteboard primarySelection{QClipboard::Selection};
    XTestKeyEventPoster keyEventPoster;
    XdotoolScriptRunner scriptRunner;
    X11WindowSystem windowSystem;
    testsupport::FakePermissions permissions;
    x11test::PasteTargetProcess target;
};

TEST_F(PasteX11Test, TheClipboardIsOursAgainAfterAnotherClientTookItMoreRecently)
{
    // The target's copy is stamped with the server's time at the copy, newer than any X event we
    // have seen; once the news of it has reached us, our claim must not be refused.
    ASSERT_TRUE(pasteboard.setString(QStringLiteral("ours")));
    QTest::qWait(20); // a copy elsewhere comes later than our claim, never in the same millisecond
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(target.copy(QStringLiteral("theirs")));
    ASSERT_TRUE(testsupport::waitUntil([&] { return pasteboard.changeCount() != before; }));
    EXPECT_TRUE(pasteboard.setString(QStringLiteral("ours again")));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("ours again"));
}

const QString transcript = QStringLiteral("Grüße aus Parlovox — 3 × 4 = 12, \"quoted\" & done.");

TEST_F(PasteX11Test, PastesIntoTheFocusedFieldAndRestoresTheClipboardAfterTwoSeconds)
{
    platform::linux_impl::QtScheduler scheduler;
    PasteManager paste(pasteboard, primarySelection, keyEventPoster, scriptRunner, windowSystem,
                       permissions, scheduler);
    // As in the program, which owns the clipboard again once it has put the user's text back, the
    // user's copy elsewhere takes it from us; that news carries the copy's time, so our own next
    // claim is not older than theirs. Without any X event since, the server would refuse it.
    ASSERT_TRUE(pasteboard.setString(QStringLiteral("put back by an earlier paste")));
    QTest::qWait(20); // a user's copy comes later than our claim, never in the same millisecond
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(target.copy(QStringLiteral("what the user had copied")));
    ASSERT_TRUE(testsupport::waitUntil([&] { return pasteboard.changeCount() != before; }));

    ASSERT_TRUE(paste.pasteText(transcript));

    EXPECT_TRUE(target.waitForText(transcript)) << target.text().toStdString();
    EXPECT_EQ(pasteboard.string(), transcript);
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return pasteboard.string() == QStringLiteral("what the user had copied"); }, 2600));
}

TEST_F(PasteX11Test, HeldControlOrAltDoesNotSpoilThePaste)
{
    testsupport::VirtualScheduler scheduler;
    PasteManager paste(pasteboard, primarySelection, keyEventPoster, scriptRunner, windowSystem,
                       permissions, scheduler);

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
    PasteManager paste(pasteboard, primarySelection, keyEventPoster, scriptRunner, windowSystem,
                       permissions, scheduler);
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
    PasteManager paste(pasteboard, primarySelection, failingPoster, scriptRunner, windowSystem,
                       permissions, scheduler);
    fakeKey(x11test::altLeft, true); // xdotool clears held modifiers itself

    ASSERT_TRUE(paste.pasteText(transcript));

    EXPECT_TRUE(target.waitForText(transcript)) << target.text().toStdString();
    fakeKey(x11test::altLeft, false);
}

TEST_F(PasteX11Test, TerminalsGetTheKeystrokeTheyPasteWithAndOtherWindowsStillControlV)
{
    testsupport::VirtualScheduler scheduler;
    PasteManager paste(pasteboard, primarySelection, keyEventPoster, scriptRunner, windowSystem,
                       permissions, scheduler);
    testsupport::FakeKeyEventPoster failingPoster;
    failingPoster.failKeyDown = true;
    PasteManager scripted(pasteboard, primarySelection, failingPoster, scriptRunner, windowSystem,
                          permissions, scheduler);
    const QString copied = QStringLiteral("what the user had copied");
    const QString selected = QStringLiteral("what the user had selected");
    ASSERT_TRUE(pasteboard.setString(copied));
    ASSERT_TRUE(primarySelection.setString(selected));

    struct Terminal
    {
        QStringList command;
        QString windowClass;
        PasteTarget target;
    };
    for (const Terminal &terminal : {
             // xterm's Shift+Insert pastes the primary selection.
             Terminal{{"xterm", "-e"}, "XTerm", PasteTarget::SelectionTerminal},
             // A VTE terminal, pasting the clipboard with Control+Shift+V.
             Terminal{
                 {"lxterminal", "--no-remote", "-e"}, "Lxterminal", PasteTarget::ClipboardTerminal},
         }) {
        SCOPED_TRACE(terminal.windowClass.toStdString());
        TerminalPrompt prompt;
        ASSERT_TRUE(prompt.start(terminal.command, terminal.windowClass));
        EXPECT_EQ(windowSystem.focusedPasteTarget(), terminal.target);
        QString typed;
        // Through XTEST, then through the xdotool fallback: both send the terminal's keystroke.
        for (PasteManager *manager : {&paste, &scripted}) {
            const QString text = transcript + QString::number(typed.size());
            typed += text;
            ASSERT_TRUE(manager->pasteText(text));
            EXPECT_TRUE(prompt.waitForTyped(typed)) << prompt.typed().toStdString();
            scheduler.advance(2);
            EXPECT_EQ(pasteboard.string(), copied);
            EXPECT_EQ(primarySelection.string(), selected);
        }
    }

    // An ordinary text field, focused again, still gets Control+V.
    QProcess focus;
    focus.start(QStringLiteral("xdotool"), {"windowfocus", "--sync", target.id()});
    ASSERT_TRUE(focus.waitForFinished(3000) && focus.exitCode() == 0);
    EXPECT_EQ(windowSystem.focusedPasteTarget(), PasteTarget::Ordinary);
    ASSERT_TRUE(paste.pasteText(transcript));
    EXPECT_TRUE(target.waitForText(transcript)) << target.text().toStdString();
}

} // namespace
