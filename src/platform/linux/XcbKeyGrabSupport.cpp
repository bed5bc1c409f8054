// SPDX-License-Identifier: GPL-3.0-or-later
#include "XcbKeyGrabSupport.h"

#include "platform/ModifierFlags.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
// xkb.h names a struct member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <memory>

namespace platform::linux_impl::xcbkeys {

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

constexpr std::uint32_t carbonCommand = CarbonModifier::command;
constexpr std::uint32_t carbonShift = CarbonModifier::shift;
constexpr std::uint32_t carbonOption = CarbonModifier::option;
constexpr std::uint32_t carbonControl = CarbonModifier::control;
constexpr std::uint32_t carbonKnown = carbonCommand | carbonShift | carbonOption | carbonControl;

constexpr std::uint16_t xShift = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t xControl = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t xAlt = XCB_MOD_MASK_1;
constexpr std::uint16_t xSuper = XCB_MOD_MASK_4;
constexpr xcb_keysym_t numLockKeysym = 0xff7f;

} // namespace

std::optional<std::uint16_t> xModifiersForCarbon(std::uint32_t carbon)
{
    if (carbon & ~carbonKnown)
        return std::nullopt;
    std::uint16_t x = 0;
    if (carbon & carbonControl)
        x |= xControl;
    if (carbon & carbonOption)
        x |= xAlt;
    if (carbon & carbonShift)
        x |= xShift;
    if (carbon & carbonCommand)
        x |= xSuper;
    return x;
}

std::uint32_t carbonModifiersForQt(Qt::KeyboardModifiers modifiers)
{
    return static_cast<std::uint32_t>(carbonFromCocoa(cocoaFromQt(modifiers)));
}

xcb_connection_t *applicationConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    return connection && !xcb_connection_has_error(connection) ? connection : nullptr;
}

std::uint16_t numLockMask(xcb_connection_t *connection)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr),
        &std::free);
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
        &std::free);
    if (!mapping || !modifiers)
        return XCB_MOD_MASK_2;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    const xcb_keycode_t *rows = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perRow = modifiers->keycodes_per_modifier;
    for (int row = 0; row < 8; ++row) {
        for (int i = 0; i < perRow; ++i) {
            const int keycode = rows[row * perRow + i];
            if (keycode < setup->min_keycode || keycode > setup->max_keycode)
                continue;
            const int index = (keycode - setup->min_keycode) * perKeycode;
            for (int level = 0; level < perKeycode; ++level)
                if (keysyms[index + level] == numLockKeysym)
                    return static_cast<std::uint16_t>(1 << row);
        }
    }
    return XCB_MOD_MASK_2;
}

bool enableDetectableAutoRepeat(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!xkb || !xkb->present)
        return false;
    free(xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr));
    const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    Reply<xcb_xkb_per_client_flags_reply_t> reply(
        xcb_xkb_per_client_flags_reply(
            connection,
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
            nullptr),
        &std::free);
    return reply && (reply->value & flag);
}

} // namespace platform::linux_impl::xcbkeys
