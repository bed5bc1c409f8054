// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Keyboard.h"

#include "KeyPositionTable.h"

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

// What the key types in `layout` with no modifier held: its first level there.
std::optional<QString> firstLevelText(xkb_keymap *keymap, xkb_keycode_t key,
                                      xkb_layout_index_t layout)
{
    // A key with fewer groups than the keymap wraps round to one it has, as the server does.
    const xkb_layout_index_t groups = xkb_keymap_num_layouts_for_key(keymap, key);
    if (groups == 0)
        return std::nullopt;
    const xkb_keysym_t *syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, key, layout % groups, 0, &syms);
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

// Shortcuts are shown in the first group whose letter keys type Latin letters, whichever group
// is in effect: with "ru,us" a shortcut on the A position reads A, not the Cyrillic letter the
// user types there now. A letter position may type punctuation (French has a comma where US
// has M), but none may type a letter of another script. A keymap without such a group shows
// its first one.
std::optional<xkb_layout_index_t> asciiCapableLayout(xkb_keymap *keymap)
{
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(keymap);
    if (groups == 0)
        return std::nullopt;
    const QList<quint8> &letterKeys = KeyPositionTable::letterXKeyCodes();
    for (xkb_layout_index_t layout = 0; layout < groups; ++layout) {
        qsizetype latin = 0;
        bool otherScript = false;
        for (const xkb_keycode_t key : letterKeys) {
            const auto text = firstLevelText(keymap, key, layout);
            if (!text || text->size() != 1 || !text->at(0).isLetter())
                continue;
            if (text->at(0).script() != QChar::Script_Latin) {
                otherScript = true;
                break;
            }
            ++latin;
        }
        if (!otherScript && latin * 2 >= letterKeys.size())
            return layout;
    }
    return 0;
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
    const auto xKeyCode = KeyPositionTable::xKeyCodeForCarbonKeyCode(carbonKeyCode);
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
    const auto layout = asciiCapableLayout(keymap.get());
    if (!layout)
        return std::nullopt;
    return firstLevelText(keymap.get(), *xKeyCode, *layout);
}

} // namespace platform::linux_impl
