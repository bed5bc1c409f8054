// SPDX-License-Identifier: GPL-3.0-or-later
// The onboarding window on a real X server under a window manager, which offers to minimise any
// window whatever the window asks for.
#include "ui/UiFixture.h"
#include "ui/onboarding/OnboardingPanel.h"

#include <QGuiApplication>
#include <QProcess>
#include <QWindow>

namespace {

class OnboardingWindowX11 : public UiFixture
{
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
    }
};

TEST_F(OnboardingWindowX11, MinimisedByTheWindowManagerItComesStraightBack)
{
    create();
    ui::OnboardingPanel panel(*app, false);
    panel.show();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return panel.windowHandle() && panel.windowHandle()->isExposed(); }));

    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("windowminimize"), QString::number(panel.winId())});
    ASSERT_TRUE(xdotool.waitForFinished(3000) && xdotool.exitCode() == 0);
    // Long enough for the window manager to have unmapped it and for the program to answer.
    testsupport::waitUntil([] { return false; }, 1000);
    EXPECT_FALSE(panel.isMinimized());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(testsupport::waitUntil([&] { return panel.windowHandle()->isExposed(); }, 2000));
}

} // namespace
