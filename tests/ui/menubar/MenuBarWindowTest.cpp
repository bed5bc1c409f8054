// SPDX-License-Identifier: GPL-3.0-or-later
// Where the tray window opens: beside the tray icon, on screen.
#include "ui/menubar/MenuBarWindow.h"

#include <gtest/gtest.h>

namespace {

using ui::MenuBarWindow;

const QRect kScreen(0, 0, 1280, 800);
const QSize kWindow(280, 400);

TEST(MenuBarWindowPlacement, OpensUnderATopTrayAboveABottomOneAndStaysOnScreen)
{
    // A panel along the top: the window hangs under the icon, its left edge at the icon's.
    const QRect topIcon(600, 0, 24, 24);
    const QRect belowTopPanel(0, 24, 1280, 776);
    EXPECT_EQ(MenuBarWindow::placement(topIcon, kWindow, kScreen, belowTopPanel),
              QPoint(600, 24 + MenuBarWindow::gap));

    // A panel along the bottom: the window stands on top of the icon.
    const QRect bottomIcon(600, 776, 24, 24);
    const QRect aboveBottomPanel(0, 0, 1280, 776);
    EXPECT_EQ(MenuBarWindow::placement(bottomIcon, kWindow, kScreen, aboveBottomPanel),
              QPoint(600, 776 - MenuBarWindow::gap - 400));

    // An icon in the corner: the window is pushed back onto the screen.
    const QRect cornerIcon(1260, 776, 20, 24);
    EXPECT_EQ(MenuBarWindow::placement(cornerIcon, kWindow, kScreen, aboveBottomPanel),
              QPoint(1000, 372));

    // A window taller than the room under the icon keeps its top on screen.
    EXPECT_EQ(MenuBarWindow::placement(topIcon, QSize(280, 790), kScreen, belowTopPanel).y(), 24);
}

} // namespace
