// SPDX-License-Identifier: GPL-3.0-or-later
#include "Localization.h"

#include <QCoreApplication>

#include <cstring>

namespace GlobalShortcuts {

namespace {

struct Entry
{
    const char *key;
    const char *text;
};

// The English texts; translations come from Qt translators under the context "GlobalShortcuts".
constexpr Entry table[] = {
    {"record_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Record Shortcut")},
    {"press_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Press Shortcut")},
    {"space_key", QT_TRANSLATE_NOOP("GlobalShortcuts", "space")},
    {"keyboard_shortcut_used_by_menu_item",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "This keyboard shortcut cannot be used as it's already "
                                          "used by the “%1” menu item.")},
    {"keyboard_shortcut_used_by_program",
     QT_TRANSLATE_NOOP("GlobalShortcuts",
                       "This keyboard shortcut cannot be used as it's already used by %1.")},
    {"shortcut_not_active", QT_TRANSLATE_NOOP("GlobalShortcuts", "%1 — not active")},
    {"keyboard_shortcut_disallowed",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "Keyboard shortcuts with only Alt (and optionally "
                                          "Shift) cannot be used.")},
    {"keyboard_shortcut_used_by_system",
     QT_TRANSLATE_NOOP("GlobalShortcuts",
                       "This keyboard shortcut is already a system-wide keyboard shortcut, or "
                       "another program holds it.")},
    {"keyboard_shortcuts_can_be_changed",
     QT_TRANSLATE_NOOP("GlobalShortcuts", "Most system-wide keyboard shortcuts can be changed in "
                                          "the desktop's keyboard settings. If you use this "
                                          "shortcut anyway, it may not work.")},
    {"ok", QT_TRANSLATE_NOOP("GlobalShortcuts", "OK")},
    {"force_use_shortcut", QT_TRANSLATE_NOOP("GlobalShortcuts", "Use Anyway")},
};

} // namespace

QString localized(const char *key)
{
    for (const Entry &entry : table) {
        if (std::strcmp(entry.key, key) == 0)
            return QCoreApplication::translate("GlobalShortcuts", entry.text);
    }
    return QString();
}

QString capitalized(const QString &text)
{
    QString result;
    bool atWordStart = true;
    // By code point, so a letter outside the basic plane changes case too.
    for (const char32_t codePoint : text.toUcs4()) {
        const bool isSpace = QChar::isSpace(codePoint);
        const char32_t mapped = isSpace       ? codePoint
                                : atWordStart ? QChar::toTitleCase(codePoint)
                                              : QChar::toLower(codePoint);
        result += QString::fromUcs4(&mapped, 1);
        atWordStart = isSpace;
    }
    return result;
}

} // namespace GlobalShortcuts
