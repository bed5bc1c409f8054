// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinuxPermissions.h"

#include "XInputRawKeyWatcher.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <xcb/xcb.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace platform::linux_impl {

namespace {

struct ConnectionCloser
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

bool hasExtension(xcb_connection_t *connection, xcb_extension_t *extension)
{
    const xcb_query_extension_reply_t *data = xcb_get_extension_data(connection, extension);
    return data && data->present;
}

} // namespace

LinuxPermissions::DisplayFacts LinuxPermissions::displayFacts() const
{
    if (m_facts)
        return *m_facts;
    // Without a display (a Wayland-only session, a console) nothing can be posted or watched.
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return {};
    std::unique_ptr<xcb_connection_t, ConnectionCloser> connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get()))
        return {};

    DisplayFacts facts;
    facts.xtest = hasExtension(connection.get(), &xcb_test_id);
    if (hasExtension(connection.get(), &xcb_input_id)) {
        // Listening is what the raw key watcher does, so it needs the version that one needs.
        const auto cookie = xcb_input_xi_query_version(connection.get(), 2, 2);
        xcb_input_xi_query_version_reply_t *reply =
            xcb_input_xi_query_version_reply(connection.get(), cookie, nullptr);
        facts.xinput2 = reply && XInputRawKeyWatcher::isSufficientVersion(reply->major_version,
                                                                          reply->minor_version);
        std::free(reply);
    }
    m_facts = facts;
    return facts;
}

bool LinuxPermissions::isProcessTrusted() const
{
    return displayFacts().xtest;
}

bool LinuxPermissions::preflightListenEventAccess() const
{
    return displayFacts().xinput2;
}

bool LinuxPermissions::microphoneAuthorized() const
{
    return !QMediaDevices::audioInputs().isEmpty();
}

void LinuxPermissions::requestMicrophoneAccess(std::function<void(bool granted)> completion)
{
    // There is no consent prompt to wait for: the answer is what the audio server offers now.
    if (completion)
        completion(microphoneAuthorized());
}

} // namespace platform::linux_impl
