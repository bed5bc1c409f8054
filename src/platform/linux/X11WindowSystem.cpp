// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowSystem.h"

#include "GrabFocusFilter.h"
#include "TerminalWindowClasses.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QRegion>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

Q_LOGGING_CATEGORY(lcWindowSystem, "parlovox.windowsystem", QtInfoMsg)

namespace platform::linux_impl {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> reply(T *raw)
{
    return Reply<T>(raw, &std::free);
}

// Qt's coordinates of a point in the X server's pixels: each screen keeps its origin and divides
// the distance from it by its device pixel ratio.
QPoint logicalPoint(QPoint native)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        const QRect nativeRect(logical.topLeft(), logical.size() * ratio);
        if (nativeRect.contains(native))
            return logical.topLeft() + (native - logical.topLeft()) / ratio;
    }
    return native;
}

} // namespace

X11WindowSystem::X11WindowSystem(QObject *parent) : WindowSystem(parent)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        m_grabFocusFilter = std::make_unique<GrabFocusFilter>();
    if (!connectToDisplay()) {
        qCInfo(lcWindowSystem, "[WindowSystem] No X display: windows are taken to be composited");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11WindowSystem::readEvents);
    m_compositing = compositorRunning();
    readEvents();
    qCInfo(lcWindowSystem, "[WindowSystem] Compositing manager running: %s",
           m_compositing ? "yes" : "no");
}

X11WindowSystem::~X11WindowSystem()
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11WindowSystem::connectToDisplay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_activeWindowAtom = internAtom("_NET_ACTIVE_WINDOW");
    m_compositorSelection = internAtom(("_NET_WM_CM_S" + std::to_string(screenNumber)).c_str());
    // The window manager names the active window in a property of the root window.
    const std::uint32_t propertyChanges = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &propertyChanges);
    xcb_flush(m_connection);
    m_activeWindow = activeWindow();

    const xcb_query_extension_reply_t *xfixes =
        xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCCritical(lcWindowSystem,
                   "[WindowSystem] No XFixes: a compositor starting or stopping later is not seen");
        return true;
    }
    m_xfixesFirstEvent = xfixes->first_event;
    // The extension answers nothing before its version is asked.
    reply(xcb_xfixes_query_version_reply(
        m_connection,
        xcb_xfixes_query_version(m_connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    xcb_xfixes_select_selection_input(m_connection, m_root, m_compositorSelection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
    return true;
}

std::uint32_t X11WindowSystem::internAtom(const char *name) const
{
    auto atom = reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name),
        nullptr));
    return atom ? atom->atom : std::uint32_t(XCB_ATOM_NONE);
}

void X11WindowSystem::readEvents()
{
    // Asking for the new owner may bring further events along with the reply; the socket does not
    // signal those again, so they are read before returning.
    while (takeOwnerChanges())
        updateCompositing();
}

bool X11WindowSystem::takeOwnerChanges()
{
    bool ownerChanged = false;
    bool activeChanged = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (m_xfixesFirstEvent && type == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
            ownerChanged = true;
        if (type == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<xcb_property_notify_event_t *>(event)->atom == m_activeWindowAtom)
            activeChanged = true;
        std::free(event);
    }
    // The window manager may write the property again with the same window.
    if (activeChanged) {
        const std::optional<quint64> active = activeWindow();
        if (active != m_activeWindow) {
            m_activeWindow = active;
            emit activeWindowChanged();
        }
    }
    return ownerChanged;
}

bool X11WindowSystem::compositorRunning() const
{
    auto owner = reply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_compositorSelection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void X11WindowSystem::updateCompositing()
{
    const bool compositing = compositorRunning();
    if (compositing == m_compositing)
        return;
    m_compositing = compositing;
    qCInfo(lcWindowSystem, "[WindowSystem] Compositing manager %s",
           compositing ? "started" : "stopped");
    emit compositingChanged(compositing);
}

std::optional<quint64> X11WindowSystem::activeWindow() const
{
    if (!m_connection || m_activeWindowAtom == XCB_ATOM_NONE)
        return std::nullopt;
    auto property = reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, m_root, m_activeWindowAtom, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    // Events that came in with the reply are not signalled by the socket again.
    QMetaObject::invokeMethod(const_cast<X11WindowSystem *>(this), &X11WindowSystem::readEvents,
                              Qt::QueuedConnection);
    if (!property || xcb_get_property_value_length(property.get()) < 4)
        return std::nullopt;
    const xcb_window_t window =
        *static_cast<xcb_window_t *>(xcb_get_property_value(property.get()));
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    return window;
}

std::optional<QPoint> X11WindowSystem::activeWindowCenter() const
{
    const std::optional<quint64> active = activeWindow();
    if (!active)
        return std::nullopt;
    const auto window = static_cast<xcb_window_t>(*active);
    auto geometry = reply(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    auto origin = reply(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    // Events that came in with these replies are not signalled by the socket again.
    QMetaObject::invokeMethod(const_cast<X11WindowSystem *>(this), &X11WindowSystem::readEvents,
                              Qt::QueuedConnection);
    if (!geometry || !origin)
        return std::nullopt;
    return logicalPoint(
        QPoint(origin->dst_x + geometry->width / 2, origin->dst_y + geometry->height / 2));
}

bool X11WindowSystem::shapeWindow(QWindow &window, const QRegion &region)
{
    // On Qt's own connection, behind what Qt asked for the window before (its own cut, in whole
    // logical pixels, among it), so the server applies this one last.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const xcb_query_extension_reply_t *shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present)
        return false;
    std::vector<xcb_rectangle_t> rectangles;
    rectangles.reserve(std::size_t(region.rectCount()));
    for (const QRect &rect : region)
        rectangles.push_back({std::int16_t(rect.x()), std::int16_t(rect.y()),
                              std::uint16_t(rect.width()), std::uint16_t(rect.height())});
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                         XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(window.winId()), 0, 0,
                         std::uint32_t(rectangles.size()), rectangles.data());
    xcb_flush(connection);
    return true;
}

std::uint32_t X11WindowSystem::focusedWindow() const
{
    auto focus =
        reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    // With the focus following the pointer (or none) the server names no window; the window
    // manager's active window is then the best guess.
    if (!focus || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == XCB_WINDOW_NONE)
        return static_cast<std::uint32_t>(activeWindow().value_or(XCB_WINDOW_NONE));
    return focus->focus;
}

WindowSystem::PasteTarget X11WindowSystem::focusedPasteTarget() const
{
    if (!m_connection)
        return PasteTarget::Ordinary;
    const PasteTarget target = pasteTargetOf(focusedWindow());
    // As above: events that came in with the replies are read on the next turn of the loop.
    QMetaObject::invokeMethod(const_cast<X11WindowSystem *>(this), &X11WindowSystem::readEvents,
                              Qt::QueuedConnection);
    return target;
}

X11WindowSystem::PasteTarget X11WindowSystem::pasteTargetOf(std::uint32_t window) const
{
    // The keyboard focus may sit on a child of the program's top-level window, which alone
    // carries WM_CLASS: walk up until a window has one.
    while (window != XCB_WINDOW_NONE && window != m_root) {
        auto property = reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
            nullptr));
        if (property && property->type == XCB_ATOM_STRING) {
            // Two NUL-terminated strings: the instance name, then the class name.
            const QByteArray value(
                static_cast<const char *>(xcb_get_property_value(property.get())),
                xcb_get_property_value_length(property.get()));
            const QList<QByteArray> names = value.split('\0');
            return pasteTargetForWindowClass(names.value(0), names.value(1));
        }
        auto tree = reply(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree)
            break;
        window = tree->parent;
    }
    return PasteTarget::Ordinary;
}

} // namespace platform::linux_impl
