// SPDX-License-Identifier: GPL-3.0-or-later
// The floating indicator on a real X server under a window manager: it must never take the
// keyboard from the program being dictated into, nor its clicks, and must stay in sight.
#include "ui/indicator/FloatingIndicatorController.h"
#include "ui/indicator/FloatingPanel.h"
#include "ui/kit/WindowFade.h"

#include "PasteTargetProcess.h"
#include "engine/AppStateFixture.h"
#include "platform/linux/X11WindowSystem.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>

#include <xcb/xcb.h>

#include <algorithm>
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
    // Paints the desktop (the root window's background) in one colour.
    void paintDesktop(QRgb color)
    {
        const std::uint32_t pixel = color & 0xffffff;
        xcb_change_window_attributes(m_connection, root(), XCB_CW_BACK_PIXEL, &pixel);
        xcb_clear_area(m_connection, 0, root(), 0, 0, 0, 0);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    // What the screen shows at `area`, read back from the root window.
    QImage screen(const QRect &area)
    {
        auto *reply = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), std::int16_t(area.x()),
                          std::int16_t(area.y()), std::uint16_t(area.width()),
                          std::uint16_t(area.height()), ~0u),
            nullptr);
        QImage image;
        if (reply && reply->depth == 24)
            image =
                QImage(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32)
                    .copy();
        free(reply);
        return image;
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
        services.windowSystem = std::make_unique<platform::linux_impl::X11WindowSystem>();
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
    // No --sync: it waits for the pointer to move, for ever when it is there already.
    ASSERT_TRUE(xdotool({"mousemove", QString::number(overlap.center().x()),
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

namespace {

// How far apart two colours are, channel by channel.
int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

// Plain openbox composites nothing: around the capsule the desktop must show, not black. A
// compositing manager started and stopped while the indicator is up is followed.
TEST_F(IndicatorX11Test, AroundTheCapsuleTheDesktopShowsWithOrWithoutACompositor)
{
    const auto &windowSystem = *services.windowSystem;
    ASSERT_FALSE(windowSystem.isCompositing());
    const QRgb desktop = qRgb(0x33, 0x66, 0xcc);
    server.paintDesktop(desktop);
    // The other program out of the way, so only the desktop lies below the indicator.
    ASSERT_TRUE(xdotool({"windowmove", "--sync", other.id(), "0", "400"}));
    showIndicator();
    testsupport::waitUntil([] { return false; }, 500); // the capsule grows to its full width
    const QRect panel = server.geometry(panelWindow());
    // The panel and a strip of the desktop left of it. (A compositor may paint the desktop in a
    // colour of its own.)
    constexpr int strip = 20;
    const auto expectDesktopAround = [&](const char *when) {
        const QImage shot = server.screen(panel.adjusted(-strip, 0, 0, 0));
        ASSERT_FALSE(shot.isNull()) << when;
        const QRgb desktopNow = shot.pixel(strip / 2, panel.height() / 2);
        EXPECT_GT(distance(desktopNow, qRgb(0, 0, 0)), 60) << when;
        for (const QPoint corner : {QPoint(2, 2), QPoint(161, 2), QPoint(2, 35), QPoint(161, 35)})
            EXPECT_LE(distance(shot.pixel(corner + QPoint(strip, 0)), desktopNow), 8)
                << when << " at " << corner.x() << "," << corner.y();
        // The capsule itself is drawn, dark (above the bars, which may be anything).
        EXPECT_GT(distance(shot.pixel(strip + 40, 10), desktopNow), 30) << when;
        QDir().mkpath(QStringLiteral(PARLOVOX_RENDERS_DIR));
        shot.save(QStringLiteral(PARLOVOX_RENDERS_DIR "/indicator-x11-") + QLatin1String(when) +
                  QStringLiteral(".png"));
    };
    expectDesktopAround("uncomposited");

    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), QStringList());
    ASSERT_TRUE(compositor.waitForStarted());
    const bool followed = testsupport::waitUntil(
        [&] { return windowSystem.isCompositing() && controller->panel()->mask().isEmpty(); },
        5000);
    testsupport::waitUntil([] { return false; }, 500); // the compositor's first frames
    if (followed)
        expectDesktopAround("composited");
    compositor.terminate();
    compositor.waitForFinished(3000);
    ASSERT_TRUE(followed);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return !windowSystem.isCompositing() && !controller->panel()->mask().isEmpty(); },
        5000));
    testsupport::waitUntil([] { return false; }, 300);
    expectDesktopAround("compositor-stopped");
}

namespace {

// Where each row of `shot` first shows something other than `desktop`; -1 where nothing does.
QList<int> leftEdges(const QImage &shot, QRgb desktop)
{
    QList<int> edges;
    for (int y = 0; y < shot.height(); ++y) {
        int edge = -1;
        for (int x = 0; x < shot.width() / 2 && edge < 0; ++x) {
            if (distance(shot.pixel(x, y), desktop) > 8)
                edge = x;
        }
        edges.append(edge);
    }
    return edges;
}

} // namespace

// At a scale factor of 2 without a compositor, the rounded ends are cut at the screen's own
// pixels, not in 2-pixel steps. The scale is the process's: the test runs itself again at it.
TEST_F(IndicatorX11Test, AtScaleTwoTheCutFollowsTheRoundedEndsPixelByPixel)
{
    ASSERT_TRUE(xdotool({"windowmove", "--sync", other.id(), "0", "400"}));
    if (qEnvironmentVariable("QT_SCALE_FACTOR") != QLatin1String("2")) {
        QProcess scaled;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        scaled.setProcessEnvironment(environment);
        scaled.setProcessChannelMode(QProcess::MergedChannels);
        scaled.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--gtest_filter=IndicatorX11Test."
                                     "AtScaleTwoTheCutFollowsTheRoundedEndsPixelByPixel")});
        ASSERT_TRUE(scaled.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(scaled.readAll());
        EXPECT_EQ(scaled.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 1 test"))) << output.toStdString();
        return;
    }
    ASSERT_EQ(controller->panel()->devicePixelRatioF(), 2.0);
    ASSERT_FALSE(services.windowSystem->isCompositing());
    const QRgb desktop = qRgb(0x33, 0x66, 0xcc);
    server.paintDesktop(desktop);
    showIndicator();
    testsupport::waitUntil([] { return false; }, 500); // the capsule grows to its full width
    const QRect panel = server.geometry(panelWindow());
    ASSERT_EQ(panel.size(), QSize(328, 76));
    const QImage shot = server.screen(panel);
    ASSERT_FALSE(shot.isNull());
    shot.save(QStringLiteral(PARLOVOX_RENDERS_DIR "/indicator-x11-scale-2-uncomposited.png"));

    // Beside the capsule the desktop shows; above its bars, the capsule.
    EXPECT_LE(distance(shot.pixel(3, 3), desktop), 8);
    EXPECT_LE(distance(shot.pixel(3, 72), desktop), 8);
    EXPECT_GT(distance(shot.pixel(shot.width() / 2, 12), desktop), 30);
    // Cut in whole logical pixels, the edge would start at even columns only and every two rows
    // would be alike.
    const QList<int> edges = leftEdges(shot, desktop);
    bool oddColumn = false;
    bool rowsDiffer = false;
    for (int y = 0; y + 1 < edges.size(); y += 2) {
        oddColumn = oddColumn || edges.at(y) % 2 == 1 || edges.at(y + 1) % 2 == 1;
        rowsDiffer = rowsDiffer || edges.at(y) != edges.at(y + 1);
    }
    QStringList edgeTexts;
    for (const int edge : edges)
        edgeTexts << QString::number(edge);
    EXPECT_TRUE(oddColumn) << "edges: " << edgeTexts.join(u' ').toStdString();
    EXPECT_TRUE(rowsDiffer);
}
