// SPDX-License-Identifier: GPL-3.0-or-later
// The floating indicator on a real X server under a window manager: it must never take the
// keyboard from the program being dictated into, nor its clicks, and must stay in sight.
#include "ui/indicator/FloatingIndicatorController.h"
#include "ui/indicator/FloatingPanel.h"
#include "ui/kit/WindowFade.h"

#include "PasteTargetProcess.h"
#include "engine/AppStateFixture.h"

#include <QGuiApplication>
#include <QProcess>

#include <xcb/xcb.h>

#include <memory>

namespace {

bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(3000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// What the X server says, on a connection of the test's own.
class XServer
{
public:
    XServer() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~XServer() { xcb_disconnect(m_connection); }

    xcb_window_t focus()
    {
        auto *reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const xcb_window_t window = reply ? reply->focus : 0;
        free(reply);
        return window;
    }
    // The root's child holding `window` (its window manager frame, or itself when unmanaged).
    xcb_window_t topLevel(xcb_window_t window)
    {
        for (;;) {
            auto *reply =
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
            if (!reply)
                return 0;
            const bool atRoot = reply->parent == reply->root;
            const xcb_window_t parent = reply->parent;
            free(reply);
            if (atRoot)
                return window;
            window = parent;
        }
    }
    // Whether `upper` is stacked above `lower`, both children of the root.
    bool isAbove(xcb_window_t upper, xcb_window_t lower)
    {
        auto *reply =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, root()), nullptr);
        if (!reply)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(reply);
        int upperIndex = -1;
        int lowerIndex = -1;
        for (int i = 0; i < xcb_query_tree_children_length(reply); ++i) {
            if (children[i] == upper)
                upperIndex = i;
            if (children[i] == lower)
                lowerIndex = i;
        }
        free(reply);
        return upperIndex > lowerIndex && lowerIndex >= 0;
    }
    bool isViewable(xcb_window_t window)
    {
        auto *reply = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        free(reply);
        return viewable;
    }
    // `window`'s rectangle in root coordinates.
    QRect geometry(xcb_window_t window)
    {
        auto *geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        auto *origin = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, root(), 0, 0), nullptr);
        QRect rect;
        if (geometry && origin)
            rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        free(geometry);
        free(origin);
        return rect;
    }

private:
    xcb_window_t root() { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }

    xcb_connection_t *m_connection;
};

class IndicatorX11Test : public AppStateFixture
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X display";
        AppStateFixture::SetUp();
        ASSERT_TRUE(other.start());
        create();
        controller = std::make_unique<ui::FloatingIndicatorController>(*app);
        controller->createPanel();
        controller->startObserving();
    }

    // Shows the indicator as a dictation does and waits until the server has it on screen.
    void showIndicator()
    {
        app->setState(RecordingState::recording());
        ASSERT_TRUE(testsupport::waitUntil(
            [&] { return !ui::WindowFade::isFading(controller->panel()); }, 2000));
        // Lets the focus and stacking requests of the showing reach the server and settle.
        testsupport::waitUntil([] { return false; }, 200);
    }
    xcb_window_t panelWindow() const { return xcb_window_t(controller->panel()->winId()); }

    // Another program: a focused text field reporting its focus and the clicks it gets.
    x11test::PasteTargetProcess other;
    XServer server;
    std::unique_ptr<ui::FloatingIndicatorController> controller;
};

} // namespace

TEST_F(IndicatorX11Test, ShowingItLeavesTheKeyboardWithTheFocusedProgram)
{
    const xcb_window_t focused = server.focus();
    ASSERT_EQ(server.topLevel(focused), server.topLevel(other.window()));

    showIndicator();

    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(server.focus(), focused);
    EXPECT_FALSE(other.lostFocus());
    EXPECT_EQ(QGuiApplication::focusWindow(), nullptr);
}

TEST_F(IndicatorX11Test, StaysAboveTheWindowsBelowAndLetsTheirClicksThrough)
{
    showIndicator();
    const QRect panel = server.geometry(panelWindow());
    ASSERT_EQ(panel.size(), QSize(164, 38));

    // The other program's window moved under the indicator and brought to the front.
    ASSERT_TRUE(xdotool({"windowmove", "--sync", other.id(), QString::number(panel.x() - 100),
                         QString::number(panel.y() - 30)}));
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", other.id()}));
    testsupport::waitUntil([] { return false; }, 200);
    const xcb_window_t frame = server.topLevel(other.window());
    EXPECT_TRUE(server.isAbove(panelWindow(), frame));

    const QRect overlap = panel.intersected(server.geometry(other.window()));
    ASSERT_FALSE(overlap.isEmpty());
    ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(overlap.center().x()),
                         QString::number(overlap.center().y()), "click", "1"}));
    EXPECT_TRUE(other.waitForClick());
    EXPECT_TRUE(server.isAbove(panelWindow(), frame));
}

TEST_F(IndicatorX11Test, ShowsOnEveryWorkspace)
{
    showIndicator();
    ASSERT_TRUE(xdotool({"set_desktop", "--", "2"}));
    const bool switched =
        testsupport::waitUntil([&] { return !server.isViewable(other.window()); }, 3000);
    const bool panelSeen = server.isViewable(panelWindow());
    xdotool({"set_desktop", "--", "0"});
    ASSERT_TRUE(switched);
    EXPECT_TRUE(panelSeen);
}
