// SPDX-License-Identifier: GPL-3.0-or-later
// The tray window on a real X server: a tray host shows the program's icon, a click on it opens
// the window next to it, and Escape, a click elsewhere or another click on the icon close it.
#include "MenuBarFixture.h"

#include "ui/MenuBarWindow.h"
#include "ui/Symbols.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>

namespace {

// Runs an xdotool command, as the user's mouse and keyboard.
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(3000) && process.exitCode() == 0;
}

bool clickAt(const QPoint &point)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(point.x()),
                    QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")});
}

class MenuBarWindowX11 : public MenuBarFixture
{
protected:
    void SetUp() override
    {
        MenuBarFixture::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
        // A panel along the top of the screen with a system tray in it.
        m_trayHost.start(QStringLiteral("trayer"),
                         {QStringLiteral("--edge"), QStringLiteral("top"),
                          QStringLiteral("--align"), QStringLiteral("center"),
                          QStringLiteral("--height"), QStringLiteral("24"),
                          QStringLiteral("--widthtype"), QStringLiteral("request")});
        ASSERT_TRUE(m_trayHost.waitForStarted(3000));
        ASSERT_TRUE(
            testsupport::waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));
    }
    void TearDown() override
    {
        m_trayHost.kill();
        m_trayHost.waitForFinished(3000);
    }

    bool isOpen() const { return window->isVisible(); }

private:
    QProcess m_trayHost;
};

TEST_F(MenuBarWindowX11, OpensFromTheTrayIconNextToItAndClosesOnEscapeAndOnAClickElsewhere)
{
    ui::MenuBarWindow &menuBar = createWindow();
    QSystemTrayIcon tray(ui::Symbols::icon(QStringLiteral("waveform"), Qt::black));
    QObject::connect(&tray, &QSystemTrayIcon::activated, &menuBar,
                     [&](QSystemTrayIcon::ActivationReason reason) {
                         // Quick clicks arrive as a double click: each still toggles.
                         if (reason == QSystemTrayIcon::Trigger ||
                             reason == QSystemTrayIcon::DoubleClick)
                             menuBar.toggleNear(tray.geometry());
                     });
    tray.show();
    // Until the tray host has taken the icon in, it sits at the screen's origin; the host
    // centres it in the panel.
    ASSERT_TRUE(testsupport::waitUntil([&] { return tray.geometry().left() > 0; }, 5000));
    const QRect icon = tray.geometry();

    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return isOpen(); }));
    settle();
    const QRect opened = menuBar.frameGeometry();
    // Under the icon, and under the panel when the panel reserves more room than the icon.
    EXPECT_GT(opened.top(), icon.bottom());
    EXPECT_LE(opened.top(), icon.bottom() + 12);
    EXPECT_LE(opened.left(), icon.left());
    EXPECT_GE(opened.right(), icon.left());
    EXPECT_TRUE(menuBar.screen()->geometry().contains(opened));
    EXPECT_EQ(opened.width(), ui::MenuBarView::width);

    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));

    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return isOpen(); }));
    ASSERT_TRUE(clickAt(QPoint(40, 700)));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));

    // A second click on the icon closes the window and does not open it again.
    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return isOpen(); }));
    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));
    EXPECT_FALSE(testsupport::waitUntil([&] { return isOpen(); }, 500));

    // The window holds the keyboard while open, so Control-Q reaches Quit.
    ASSERT_TRUE(clickAt(icon.center()));
    ASSERT_TRUE(testsupport::waitUntil([&] { return isOpen(); }));
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+q")}));
    EXPECT_TRUE(testsupport::waitUntil([&] { return workspace->requests.contains("terminate"); }));
}

} // namespace
