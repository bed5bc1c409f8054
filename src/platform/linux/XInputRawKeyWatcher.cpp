// SPDX-License-Identifier: GPL-3.0-or-later
#include "XInputRawKeyWatcher.h"

#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::linux_impl {

struct XInputRawKeyWatcher::Connection
{
    ~Connection()
    {
        if (connection)
            xcb_disconnect(connection);
    }
    xcb_connection_t *connection = nullptr;
    std::uint8_t opcode = 0;
};

XInputRawKeyWatcher::XInputRawKeyWatcher(QObject *parent) : QObject(parent) {}

bool XInputRawKeyWatcher::isSufficientVersion(int major, int minor)
{
    return major > 2 || (major == 2 && minor >= 2);
}

XInputRawKeyWatcher::~XInputRawKeyWatcher()
{
    if (m_thread) {
        const std::uint64_t one = 1;
        if (::write(m_wakeFd, &one, sizeof one) < 0)
            qt_noop();
        m_thread->wait();
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

bool XInputRawKeyWatcher::start()
{
    if (m_thread)
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        m_error = QStringLiteral("no X11 display");
        return false;
    }
    auto connection = std::make_unique<Connection>();
    connection->connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection->connection)) {
        m_error = QStringLiteral("cannot connect to the X11 display");
        return false;
    }
    xcb_connection_t *c = connection->connection;
    const xcb_query_extension_reply_t *xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present) {
        m_error = QStringLiteral("the X server has no XInput extension");
        return false;
    }
    connection->opcode = xinput->major_opcode;
    // Announcing 2.2 matters: from 2.1 on the server sends raw events to every client that asked,
    // also while another client (or our own main connection) holds a grab.
    auto *version =
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
    const int major = version ? version->major_version : 0;
    const int minor = version ? version->minor_version : 0;
    std::free(version);
    if (!isSufficientVersion(major, minor)) {
        m_error = QStringLiteral("the X server offers XInput %1.%2, but 2.2 is needed")
                      .arg(major)
                      .arg(minor);
        return false;
    }
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto *error =
        xcb_request_check(c, xcb_input_xi_select_events_checked(c, root, 1, &selection.head));
    if (error) {
        std::free(error);
        m_error = QStringLiteral("the X server refused raw key events");
        return false;
    }
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        m_error = QStringLiteral("no event descriptor for the reader thread");
        return false;
    }
    m_connection = std::move(connection);
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start();
    return true;
}

// The reader thread: it touches only its own connection and hands each event to the main thread.
void XInputRawKeyWatcher::run()
{
    xcb_connection_t *c = m_connection->connection;
    const std::uint8_t opcode = m_connection->opcode;
    pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            auto *generic = reinterpret_cast<xcb_ge_generic_event_t *>(event);
            if ((event->response_type & ~0x80) == XCB_GE_GENERIC && generic->extension == opcode &&
                (generic->event_type == XCB_INPUT_RAW_KEY_PRESS ||
                 generic->event_type == XCB_INPUT_RAW_KEY_RELEASE)) {
                auto *raw = reinterpret_cast<xcb_input_raw_key_press_event_t *>(event);
                const quint32 keycode = raw->detail;
                const bool pressed = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
                QMetaObject::invokeMethod(
                    this, [this, keycode, pressed] { emit rawKey(keycode, pressed); },
                    Qt::QueuedConnection);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            return;
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents & POLLIN)
            return;
    }
}

} // namespace platform::linux_impl
