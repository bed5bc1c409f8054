// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Keyboard.h"

#include "CarbonKeyTable.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace platform::linux_impl {

namespace {

struct KeymapDeleter
{
    void operator()(xkb_keymap *keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter
{
    void operator()(xkb_state *state) const { xkb_state_unref(state); }
};

bool isDeadKey(xkb_keysym_t sym)
{
    // The dead keysyms fill 0xfe50 (dead_grave) to 0xfe93 (dead_longsolidusoverlay).
    return sym >= XKB_KEY_dead_grave && sym <= 0xfe93;
}

xcb_connection_t *applicationConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

X11Keyboard::X11Keyboard() : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

X11Keyboard::~X11Keyboard()
{
    if (m_context)
        xkb_context_unref(m_context);
}

std::optional<QString> X11Keyboard::textForKeyCode(qint64 carbonKeyCode) const
{
    xcb_connection_t *connection = applicationConnection();
    const auto xKeyCode = CarbonKeyTable::xKeyCodeForCarbonKeyCode(carbonKeyCode);
    if (!connection || !m_context || !xKeyCode)
        return std::nullopt;
    if (!m_extensionChecked) {
        m_extensionChecked = true;
        m_extensionAvailable = xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr);
    }
    if (!m_extensionAvailable)
        return std::nullopt;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device == -1)
        return std::nullopt;
    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap(
        xkb_x11_keymap_new_from_device(m_context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return std::nullopt;
    std::unique_ptr<xkb_state, StateDeleter> state(
        xkb_x11_state_new_from_device(keymap.get(), connection, device));
    if (!state)
        return std::nullopt;
    // The state knows the group in effect; the keymap gives that group's first level, which is
    // what the key types with no modifier held.
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state.get(), *xKeyCode);
    if (layout == XKB_LAYOUT_INVALID)
        return std::nullopt;
    const xkb_keysym_t *syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), *xKeyCode, layout, 0, &syms);
    if (count < 1)
        return std::nullopt;
    QString text;
    for (int i = 0; i < count; ++i) {
        if (isDeadKey(syms[i]))
            return std::nullopt;
        char buffer[16] = {};
        if (xkb_keysym_to_utf8(syms[i], buffer, sizeof buffer) > 1)
            text += QString::fromUtf8(buffer);
    }
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<quint16> X11Keyboard::keyCodeForNativeScanCode(quint32 nativeScanCode) const
{
    const auto carbon = CarbonKeyTable::carbonKeyCodeForXKeyCode(nativeScanCode);
    if (!carbon)
        return std::nullopt;
    return quint16(*carbon);
}

} // namespace platform::linux_impl
