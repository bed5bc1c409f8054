// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/Spring.h"
#include "ui/kit/WindowFade.h"

#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include <memory>

#include <gtest/gtest.h>

namespace {

// The largest and smallest value a spring takes from `from` to `to` over `seconds`.
std::pair<double, double> range(const ui::Spring &spring, double from, double to)
{
    double low = spring.value(from);
    double high = low;
    for (double t = from; t <= to; t += 0.001) {
        low = std::min(low, spring.value(t));
        high = std::max(high, spring.value(t));
    }
    return {low, high};
}

} // namespace

TEST(Spring, SettlesOnItsTargetOvershootingOnlyWhenUnderDamped)
{
    ui::Spring critical(0.3, 1.0);
    critical.setTarget(90, 10.0);
    EXPECT_DOUBLE_EQ(critical.value(10.0), 0);
    EXPECT_NEAR(critical.value(10.0 + 2), 90, 1e-3);
    EXPECT_LE(range(critical, 10, 12).second, 90.0);

    // Damping 0.8 overshoots by exp(-pi * 0.8 / sqrt(1 - 0.64)) = 1.5 % of the way.
    ui::Spring bouncy(0.25, 0.8);
    bouncy.setTarget(1, 0);
    EXPECT_NEAR(range(bouncy, 0, 2).second, 1.0152, 1e-3);
    EXPECT_NEAR(bouncy.value(2), 1, 1e-4);
    EXPECT_NEAR(bouncy.velocity(2), 0, 1e-3);

    ui::Spring sluggish(0.3, 1.5);
    sluggish.setTarget(-4, 0);
    EXPECT_GE(range(sluggish, 0, 3).first, -4.0);
    EXPECT_NEAR(sluggish.value(3), -4, 1e-3);
}

// A state change in mid-flight must not make the capsule or the bars jump.
TEST(Spring, RetargetingInFlightKeepsPositionAndSpeed)
{
    for (const double damping : {0.7, 1.0, 1.3}) {
        ui::Spring spring(0.15, damping, 2);
        spring.setTarget(20, 1.0);
        const double before = spring.value(1.05);
        const double speed = spring.velocity(1.05);
        ASSERT_GT(speed, 0);
        spring.setTarget(2, 1.05);
        EXPECT_NEAR(spring.value(1.05), before, 1e-9) << damping;
        EXPECT_NEAR(spring.velocity(1.05), speed, 1e-9) << damping;
        EXPECT_NEAR(spring.value(3), 2, 1e-3) << damping;
    }
    ui::Spring spring(0.25, 0.8);
    spring.setTarget(1, 0);
    spring.jumpTo(0);
    EXPECT_EQ(spring.value(0.1), 0);
    EXPECT_EQ(spring.velocity(0.1), 0);
}

TEST(WindowFade, FadesInAndOutAndTurnsBackWhenAskedToStay)
{
    QWidget window;
    window.resize(50, 20);
    ui::WindowFade::fadeIn(&window, 0.05);
    EXPECT_TRUE(window.isVisible());
    EXPECT_LT(window.windowOpacity(), 1.0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ui::WindowFade::isFading(&window); }, 2000));
    EXPECT_EQ(window.windowOpacity(), 1.0);

    // Fading in again an opaque window changes nothing.
    ui::WindowFade::fadeIn(&window, 0.05);
    EXPECT_FALSE(ui::WindowFade::isFading(&window));

    // Called back during a fade-out, the window stays: the fade-out's hiding is called off.
    ui::WindowFade::fadeOut(&window, 0.05);
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.windowOpacity() < 1.0; }, 2000));
    ui::WindowFade::fadeIn(&window, 0.05);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !ui::WindowFade::isFading(&window); }, 2000));
    testsupport::waitUntil([] { return false; }, 150);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowOpacity(), 1.0);

    ui::WindowFade::fadeOut(&window, 0.05);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !window.isVisible(); }, 2000));
    EXPECT_EQ(window.windowOpacity(), 0.0);
}

TEST(WindowFade, AWindowLetGoLivesUntilItsFadesAreDone)
{
    auto owned = std::make_unique<QWidget>();
    const QPointer<QWidget> window = owned.get();
    window->resize(50, 20);
    window->show();
    ui::WindowFade::fadeOut(window, 0.05);
    ui::WindowFade::deleteWhenDone(owned.release());
    // Turned back before the end: the fade that takes over is the one that ends it.
    ui::WindowFade::fadeIn(window, 0.1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isNull(); }, 2000));

    // Without a fade it goes at once.
    owned = std::make_unique<QWidget>();
    const QPointer<QWidget> still = owned.get();
    ui::WindowFade::deleteWhenDone(owned.release());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(still.isNull());
}
