// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon's context menu on a real X server, with the program's own clipboard and XTEST
// keystrokes: open, the menu has the keyboard, so a transcript that comes back meanwhile must not
// be typed into it.
#include "ui/UiFixture.h"

#include "PasteTargetProcess.h"
#include "platform/linux/QtClipboardPasteboard.h"
#include "platform/linux/X11WindowSystem.h"
#include "platform/linux/XTestKeyEventPoster.h"
#include "support/EventLoop.h"
#include "ui/menubar/MenuBarExtra.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>

namespace {

using testsupport::HttpReply;

class TrayMenuX11Test : public UiFixture
{
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
        ASSERT_TRUE(
            testsupport::waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000))
            << "no system tray on the display";
        using namespace platform::linux_impl;
        services.pasteboard = std::make_unique<QtClipboardPasteboard>();
        services.primarySelection = std::make_unique<QtClipboardPasteboard>(QClipboard::Selection);
        services.keyEventPoster = std::make_unique<XTestKeyEventPoster>();
        services.windowSystem = std::make_unique<X11WindowSystem>();
        createDictating();
        extra =
            std::make_unique<ui::MenuBarExtra>(*app, *updaterManager, ui::MenuBarExtra::Actions{});
        ASSERT_TRUE(testsupport::waitUntil(
            [this] {
                const QRect icon = extra->trayIcon().geometry();
                return icon.left() > 0 && QGuiApplication::topLevelAt(icon.center()) != nullptr;
            },
            5000));
    }
    void TearDown() override
    {
        extra.reset();
        UiFixture::TearDown();
    }

    // A right click on the icon, as the user's mouse.
    bool openContextMenu()
    {
        const QPoint at = extra->trayIcon().geometry().center();
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QString::number(at.x()),
                           QString::number(at.y()), QStringLiteral("click"), QStringLiteral("3")});
        return testsupport::waitUntil([this] { return extra->contextMenu().isVisible(); }, 3000);
    }

    std::unique_ptr<ui::MenuBarExtra> extra;
};

// Open when a transcript comes, the menu closes, and the text lands in the field the user was
// typing in.
TEST_F(TrayMenuX11Test, OpenWhenTheTranscriptComesItClosesAndTheTextLandsInTheUsersField)
{
    x11test::PasteTargetProcess field;
    ASSERT_TRUE(field.start());

    server.enqueue(HttpReply::json(200, R"({"text":"past the menu"})"), "/inference");
    ASSERT_TRUE(openContextMenu());
    dictate(1.5);

    ASSERT_TRUE(waitUntilSettled());
    EXPECT_TRUE(app->state().isIdle()) << app->state().message().toStdString();
    EXPECT_FALSE(extra->contextMenu().isVisible());
    EXPECT_TRUE(field.waitForText(QStringLiteral("past the menu"))) << field.text().toStdString();
}

} // namespace
