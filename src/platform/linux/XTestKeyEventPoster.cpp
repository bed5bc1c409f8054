// SPDX-License-Identifier: GPL-3.0-or-later
#include "XTestKeyEventPoster.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace platform::linux_impl {

namespace {

// Keysyms and the evdev codes of their US-ANSI positions (X key code = evdev code + 8), used when
// the current layout does not carry the keysym.
struct KeyName
{
    xcb_keysym_t keysym;
    quint8 fallbackKeycode;
};
constexpr KeyName keyV{0x0076, 47 + 8};
constexpr KeyName keyInsert{0xff63, 110 + 8};
constexpr KeyName controlLeft{0xffe3, 29 + 8};
constexpr KeyName shiftLeft{0xffe1, 42 + 8};
constexpr KeyName altLeft{0xffe9, 56 + 8};

// Design key codes this poster can type: the keys of the paste keystrokes, V and (in the place of
// Help) Insert.
std::optional<KeyName> keyForVirtualKey(quint16 virtualKey)
{
    if (virtualKey == 9)
        return keyV;
    if (virtualKey == 114)
        return keyInsert;
    return std::nullopt;
}

// Modifier rows whose held keys are taken out of the way. Lock and Mod2 (Num Lock) are lock
// states rather than held keys: pressing their keys again would toggle them.
constexpr int releasedModifierRows[] = {0 /*Shift*/, 2 /*Control*/, 3 /*Mod1*/,
                                        5 /*Mod3*/,  6 /*Mod4*/,    7 /*Mod5*/};

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t *connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return nullptr;
    xcb_connection_t *conn = x11->connection();
    if (!conn || xcb_connection_has_error(conn))
        return nullptr;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(conn, &xcb_test_id);
    return xtest && xtest->present ? conn : nullptr;
}

quint8 keycodeFor(xcb_connection_t *conn, const KeyName &key)
{
    const xcb_setup_t *setup = xcb_get_setup(conn);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Reply<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(
            conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), nullptr),
        &std::free);
    if (mapping) {
        const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perKeycode = mapping->keysyms_per_keycode;
        // The first group's unshifted and shifted levels are what the key types without help.
        for (int level = 0; level < std::min(perKeycode, 2); ++level)
            for (int i = 0; i < count; ++i)
                if (keysyms[i * perKeycode + level] == key.keysym)
                    return static_cast<quint8>(setup->min_keycode + i);
    }
    return key.fallbackKeycode;
}

QList<quint8> heldModifierKeycodes(xcb_connection_t *conn)
{
    QList<quint8> held;
    Reply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(conn, xcb_query_keymap(conn), nullptr), &std::free);
    Reply<xcb_get_modifier_mapping_reply_t> modifiers(
        xcb_get_modifier_mapping_reply(conn, xcb_get_modifier_mapping(conn), nullptr), &std::free);
    if (!keymap || !modifiers)
        return held;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perModifier = modifiers->keycodes_per_modifier;
    for (int row : releasedModifierRows) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[row * perModifier + i];
            if (code != 0 && (keymap->keys[code / 8] & (1 << (code % 8))) && !held.contains(code))
                held.append(code);
        }
    }
    return held;
}

void fakeKey(xcb_connection_t *conn, quint8 keycode, bool press)
{
    xcb_test_fake_input(conn, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME,
                        XCB_NONE, 0, 0, 0);
}

// X offers no per-source filtering of the user's devices; the held-modifier handling in post()
// is what keeps the user's keys out of the chord.
class XTestKeyEventSource final : public KeyEventSource
{
public:
    void setLocalEventsFilterDuringSuppressionState(quint32, int) override {}
};

} // namespace

std::unique_ptr<KeyEventSource> XTestKeyEventPoster::createSource()
{
    if (!connection())
        return nullptr;
    return std::make_unique<XTestKeyEventSource>();
}

std::optional<KeyEvent> XTestKeyEventPoster::createKeyboardEvent(KeyEventSource *,
                                                                 quint16 virtualKey, bool keyDown)
{
    if (!connection() || !keyForVirtualKey(virtualKey))
        return std::nullopt;
    return KeyEvent{virtualKey, keyDown, 0};
}

void XTestKeyEventPoster::post(const KeyEvent &event)
{
    xcb_connection_t *conn = connection();
    const std::optional<KeyName> key = keyForVirtualKey(event.virtualKey);
    if (!conn || !key)
        return;
    const quint8 keycode = keycodeFor(conn, *key);

    if (event.keyDown) {
        m_releasedModifiers = heldModifierKeycodes(conn);
        for (quint8 code : m_releasedModifiers)
            fakeKey(conn, code, false);
        m_pressedModifiers.clear();
        if (event.flags & (KeyEvent::CommandFlag | KeyEvent::ControlFlag))
            m_pressedModifiers.append(keycodeFor(conn, controlLeft));
        if (event.flags & KeyEvent::ShiftFlag)
            m_pressedModifiers.append(keycodeFor(conn, shiftLeft));
        if (event.flags & KeyEvent::OptionFlag)
            m_pressedModifiers.append(keycodeFor(conn, altLeft));
        for (quint8 code : m_pressedModifiers)
            fakeKey(conn, code, true);
        fakeKey(conn, keycode, true);
    } else {
        fakeKey(conn, keycode, false);
        for (auto it = m_pressedModifiers.crbegin(); it != m_pressedModifiers.crend(); ++it)
            fakeKey(conn, *it, false);
        for (quint8 code : m_releasedModifiers)
            fakeKey(conn, code, true);
        m_pressedModifiers.clear();
        m_releasedModifiers.clear();
    }
    xcb_flush(conn);
}

} // namespace platform::linux_impl
