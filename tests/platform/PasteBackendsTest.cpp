// SPDX-License-Identifier: GPL-3.0-or-later
// The paste backends without an X display: what the fallback script becomes, and how the XTEST
// poster and the clipboard behave where there is nothing to post to.
#include "platform/linux/QtClipboardPasteboard.h"
#include "platform/linux/XTestKeyEventPoster.h"
#include "platform/linux/XdotoolScriptRunner.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

using platform::linux_impl::QtClipboardPasteboard;
using platform::linux_impl::XdotoolScriptRunner;
using platform::linux_impl::XTestKeyEventPoster;

TEST(XdotoolScriptRunner, TranslatesSystemEventsKeystrokesAndRefusesAnythingElse)
{
    const QString paste = QStringLiteral(
        "tell application \"System Events\"\n    key code 9 using command down\nend tell");
    EXPECT_EQ(XdotoolScriptRunner::translate(paste),
              QStringList({"key", "--clearmodifiers", "ctrl+v"}));
    EXPECT_EQ(XdotoolScriptRunner::translate(
                  QStringLiteral("tell application \"System Events\"\n"
                                 "  key code 9 using {shift down, option down}\nend tell")),
              QStringList({"key", "--clearmodifiers", "shift+alt+v"}));

    XdotoolScriptRunner runner;
    EXPECT_NE(runner.createScript(paste), nullptr);
    for (const char *source : {
             "",
             "tell application \"Finder\"\n    key code 9 using command down\nend tell",
             "tell application \"System Events\"\n    key code 99 using command down\nend tell",
             "tell application \"System Events\"\n    key code 9 using hyper down\nend tell",
             "tell application \"System Events\"\n    do shell script \"rm -rf /\"\nend tell",
             "tell application \"System Events\"\n    key code 9 using command down",
         }) {
        SCOPED_TRACE(source);
        EXPECT_EQ(runner.createScript(QString::fromUtf8(source)), nullptr);
    }
}

TEST(XTestKeyEventPoster, MakesNoEventsWithoutAnXDisplay)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        GTEST_SKIP() << "runs on the offscreen platform only";
    XTestKeyEventPoster poster;
    EXPECT_EQ(poster.createSource(), nullptr);
    EXPECT_EQ(poster.createKeyboardEvent(nullptr, 9, true), std::nullopt);
    poster.post(
        platform::KeyEvent{9, true, platform::KeyEvent::CommandFlag}); // no crash, no effect
}

TEST(QtClipboardPasteboard, KeepsPlainTextAndForgetsItWhenCleared)
{
    QtClipboardPasteboard pasteboard;
    EXPECT_TRUE(pasteboard.setString(QStringLiteral("some text")));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("some text"));
    pasteboard.clearContents();
    EXPECT_EQ(pasteboard.string(), std::nullopt);
}

} // namespace
