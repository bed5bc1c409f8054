// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon's half of TrayIconX11Test, started by it on a display without a tray host. Says
// "NO TRAY" once it has seen the program run on without one, then waits for the host the test
// starts and checks that the icon was put into it and ran the deferred start-up.
#include "ui/menubar/MenuBarExtra.h"

#include "engine/AppStateFixture.h"
#include "engine/UpdaterManager.h"
#include "support/FakeUpdater.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>

#include <cstdio>

namespace {

class TrayProbe : public AppStateFixture
{
};

TEST_F(TrayProbe, TheIconAppearsOnceATrayHostStarts)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    create();
    testsupport::FakeUpdater updater;
    UpdaterManager updaterManager(updater);
    int lateInits = 0;
    QList<QRect> openedAt;
    ui::MenuBarExtra::Actions actions;
    actions.lateInit = [&] { ++lateInits; };
    actions.openWindow = [&](const QRect &geometry) { openedAt << geometry; };
    testsupport::LogCapture uiLog(QStringLiteral("parlovox.ui"));
    ui::MenuBarExtra extra(*app, updaterManager, actions);

    scheduler->advance(ui::MenuBarExtra::trayPollSeconds);
    QCoreApplication::processEvents();
    ASSERT_FALSE(extra.isShown());
    EXPECT_EQ(lateInits, 0);
    std::puts("NO TRAY");
    std::fflush(stdout);

    // The test docks its tray host in the top right corner: the icon is there once the host has
    // taken it in.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto docked = [&] {
        const QRect icon = extra.trayIcon().geometry();
        return !icon.isEmpty() && icon.center().x() > screen.center().x() &&
               icon.center().y() < screen.center().y();
    };
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            scheduler->advance(ui::MenuBarExtra::trayPollSeconds);
            return extra.isShown() && docked() && lateInits > 0;
        },
        15000));
    EXPECT_EQ(uiLog.lines(), (QStringList{QStringLiteral("info: [App] No system tray: the tray "
                                                         "icon appears once the desktop shows one"),
                                          QStringLiteral("info: [App] System tray available: "
                                                         "showing the tray icon")}));
    // Only once, however long the program runs.
    scheduler->advance(10 * ui::MenuBarExtra::trayPollSeconds);
    QCoreApplication::processEvents();
    EXPECT_EQ(lateInits, 1);

    // A click opens the window beside the icon.
    emit extra.trayIcon().activated(QSystemTrayIcon::Trigger);
    ASSERT_EQ(openedAt.size(), 1);
    EXPECT_EQ(openedAt.front(), extra.trayIcon().geometry());
    std::printf("ICON AT %d,%d %dx%d\n", openedAt.front().x(), openedAt.front().y(),
                openedAt.front().width(), openedAt.front().height());
    std::fflush(stdout);
}

} // namespace
