// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"

#include <QByteArray>
#include <QKeySequence>
#include <QMetaType>
#include <QString>

#include <optional>

namespace platform {
struct Event;
}

namespace GlobalShortcuts {

class Name;

// A key combination: a Carbon key code and a Carbon modifier mask. Every constructor keeps only
// the five modifier bits the module knows (control, option, shift, command, function); only
// decoding a stored value keeps the mask exactly as stored.
class Shortcut
{
public:
    // Key code 0 without modifiers; exists so the type can travel in signals and containers.
    Shortcut() = default;
    Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers);
    Shortcut(Key key, ModifierFlags modifiers);

    // A key-down or key-up event as a shortcut, without the function modifier (a shortcut made
    // from an event never carries Fn); none for every other event type.
    static std::optional<Shortcut> fromEvent(const platform::Event &event);
    // The shortcut stored for the name; none when nothing valid is stored.
    static std::optional<Shortcut> fromName(const Name &name);

    // The stored form: {"carbonKeyCode":…,"carbonModifiers":…}, compact, in that order.
    QByteArray toJson() const;
    // Reads the stored form as is, without normalising the mask; none unless the text is an
    // object with both members holding integers (other members are ignored).
    static std::optional<Shortcut> fromJson(const QByteArray &json);

    qint64 carbonKeyCode() const { return m_carbonKeyCode; }
    qint64 carbonModifiers() const { return m_carbonModifiers; }
    // Always present; optional only to keep the shape callers expect.
    std::optional<Key> key() const { return Key(m_carbonKeyCode); }
    ModifierFlags modifiers() const { return cocoaFromCarbon(m_carbonModifiers); }

    // Modifier symbols followed by the key, e.g. "⇧⌘A", "⌃⌥Space", "F12"; U+FFFD for a key the
    // layout gives no character for.
    QString description() const;
    // The key equivalent a menu item shows: the special key's menu text, or the key's character
    // as typed without modifiers; none for keypad keys and for keys without a character.
    std::optional<QString> nsMenuItemKeyEquivalent() const;
    // The combination as a Qt key sequence; none for keypad keys and for keys without a character.
    std::optional<QKeySequence> toKeySequence() const;

    friend bool operator==(const Shortcut &, const Shortcut &) = default;

private:
    struct Raw
    {
    };
    Shortcut(Raw, qint64 carbonKeyCode, qint64 carbonModifiers)
        : m_carbonKeyCode(carbonKeyCode), m_carbonModifiers(carbonModifiers)
    {}

    qint64 m_carbonKeyCode = 0;
    qint64 m_carbonModifiers = 0;
};

size_t qHash(const Shortcut &shortcut, size_t seed = 0) noexcept;

} // namespace GlobalShortcuts

Q_DECLARE_METATYPE(GlobalShortcuts::Shortcut)
