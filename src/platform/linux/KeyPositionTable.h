// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>

namespace platform::linux_impl {

// The one table between our key numbering (Carbon virtual key codes, US-ANSI positions) and the
// Linux input layer's: the evdev code of the key at the same physical position. An X server with
// the evdev/libinput driver numbers its key codes as evdev code + 8.
class KeyPositionTable final
{
public:
    // None for a Carbon code with no physical key we know.
    static std::optional<int> evdevCodeForCarbonKeyCode(qint64 carbonKeyCode);
    static std::optional<qint64> carbonKeyCodeForEvdevCode(int evdevCode);

    // The X key code (8…255) of the key; none when it has no evdev code or lies beyond what X key
    // codes can name (the Fn key, KEY_FN, is one: it never reaches X).
    static std::optional<quint8> xKeyCodeForCarbonKeyCode(qint64 carbonKeyCode);
    static std::optional<qint64> carbonKeyCodeForXKeyCode(quint32 xKeyCode);

    // The X key codes of the 26 letter positions (A to Z of US-ANSI).
    static const QList<quint8> &letterXKeyCodes();

    static constexpr int xKeyCodeOffset = 8;
};

} // namespace platform::linux_impl
