// SPDX-License-Identifier: GPL-3.0-or-later
// RecorderField: what a key or click does while the field records, and the checks a pressed
// combination goes through before it is stored.
#include "RecorderField.h"

#include "GlobalShortcuts/HotKeyHandlers.h"
#include "GlobalShortcuts/KeyToCharacter.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/MenuItemSearch.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/RecorderAlert.h"
#include "GlobalShortcuts/SpecialKey.h"
#include "GlobalShortcuts/Storage.h"
#include "platform/Event.h"
#include "platform/HotKeyService.h"

#include <QAction>
#include <QApplication>
#include <QOperatingSystemVersion>
#include <QWindow>

namespace GlobalShortcuts {

namespace {

using platform::Event;

// Flags that may be set on a key "without modifiers": caps lock, numeric pad and the
// device-dependent low bits.
constexpr quint64 noModifierBits = 0x21FFFF;
// The same plus shift and function: a key without command, option or control.
constexpr quint64 noCommandOptionControlBits = 0xA3FFFF;
// Control, option, command and function, and shift: what the platform rule looks at.
constexpr quint64 platformRuleMask = 0x9D0000;
constexpr qint64 f12KeyCode = 111;
constexpr quint16 escapeKeyCode = 53;

bool isFunctionKey(std::optional<SpecialKey> special)
{
    if (!special)
        return false;
    const auto character = functionKeyCharacter(*special);
    return character && functionKeys().contains(*character);
}

} // namespace

std::optional<Event> RecorderField::handleRecorderEvent(const Event &event)
{
    if (event.type == Event::Type::leftMouseUp || event.type == Event::Type::rightMouseUp) {
        if (isOutside(event)) {
            blur();
            return event;
        }
        // The clear button is part of the field; its click must arrive to clear it.
        const QPoint local = mapFrom(window(), event.locationInWindow.toPoint());
        for (QObject *object : m_clearAction->associatedObjects())
            if (auto *button = qobject_cast<QWidget *>(object); button && button != this &&
                                                                button->isVisible() &&
                                                                button->geometry().contains(local))
                return event;
    }
    if (event.type != Event::Type::keyDown && event.type != Event::Type::keyUp)
        return std::nullopt;

    const std::optional<SpecialKey> special = specialKeyForKeyCode(event.keyCode);
    if ((event.modifierFlags & ~noModifierBits) == 0) {
        // Tab goes on to the window, which moves the focus on and so ends the recording.
        if (special == SpecialKey::tab)
            return event;
        if (event.keyCode == escapeKeyCode) {
            blur();
            return std::nullopt;
        }
        if (special == SpecialKey::delete_ || special == SpecialKey::deleteForward) {
            if (m_clearAction->isVisible())
                m_clearAction->trigger();
            return std::nullopt;
        }
    }
    // Without command, option or control only F1…F35 may stand alone (or with shift).
    if ((event.modifierFlags & ~noCommandOptionControlBits) == 0 && !isFunctionKey(special)) {
        QApplication::beep();
        return std::nullopt;
    }
    const std::optional<Shortcut> shortcut = Shortcut::fromEvent(event);
    if (!shortcut) {
        QApplication::beep();
        return std::nullopt;
    }
    if (conflictsWithMenuItem(*shortcut) || isDisallowedByPlatform(*shortcut) ||
        !mayUseDespiteSystem(*shortcut))
        return std::nullopt;
    accept(*shortcut);
    return std::nullopt;
}

bool RecorderField::isOutside(const Event &mouseEvent) const
{
    QWidget *top = window();
    if (!mouseEvent.window || mouseEvent.window != top->windowHandle())
        return true;
    const QPoint local = mapFrom(top, mouseEvent.locationInWindow.toPoint());
    return !rect().adjusted(-3, -3, 3, 3).contains(local);
}

bool RecorderField::conflictsWithMenuItem(const Shortcut &shortcut)
{
    QString message;
    if (const auto command = MenuItemSearch::applicationCommandWithMatchingShortcut(shortcut))
        message = localized("keyboard_shortcut_used_by_menu_item").arg(*command);
    else if (const auto usedBy = ModuleContext::current().reservation(shortcut))
        message = localized("keyboard_shortcut_used_by_program").arg(*usedBy);
    else
        return false;
    presentAlert({message, QString(), {localized("ok")}});
    return true;
}

bool RecorderField::isDisallowedByPlatform(const Shortcut &shortcut)
{
    // macOS 15.0 and 15.1 refuse option-only hot keys to sandboxed programs; no other system
    // does.
    const QOperatingSystemVersion version = QOperatingSystemVersion::current();
    if (version.type() != QOperatingSystemVersion::MacOS || version.majorVersion() != 15 ||
        version.minorVersion() >= 2 || !isSandboxed())
        return false;
    if ((shortcut.modifiers() & platformRuleMask) != CocoaFlag::option)
        return false;
    presentAlert({localized("keyboard_shortcut_disallowed"), QString(), {localized("ok")}});
    return true;
}

bool RecorderField::mayUseDespiteSystem(const Shortcut &shortcut)
{
    // F12 alone is listed by some systems but is free for programs to take.
    if (shortcut.carbonKeyCode() == f12KeyCode && shortcut.carbonModifiers() == 0)
        return true;
    bool taken = systemHotKeys().contains(shortcut);
    // The desktop keeps no list we could read: a combination another program holds, or one
    // that cannot be held here at all, shows when a trial registration is refused.
    if (!taken)
        taken = trialRegistration(shortcut) != platform::HotKeyService::noErr;
    if (!taken)
        return true;
    const int answer = presentAlert({localized("keyboard_shortcut_used_by_system"),
                                     localized("keyboard_shortcuts_can_be_changed"),
                                     {localized("ok"), localized("force_use_shortcut")}});
    return answer == 1;
}

void RecorderField::accept(const Shortcut &shortcut)
{
    setText(shortcut.description());
    updateClearButton();
    updateGeometry();
    storeShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    blur();
}

} // namespace GlobalShortcuts
