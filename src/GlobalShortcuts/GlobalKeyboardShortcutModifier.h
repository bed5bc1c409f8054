// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"

#include <QKeySequence>
#include <QObject>

class QAbstractButton;
class QShortcut;

namespace GlobalShortcuts {

// Makes a name's stored shortcut click a button while the application is active, following
// every change of the name. While a recorder control records, the button answers to no
// combination, so the keys being recorded cannot click it. It lives as the button's child.
class GlobalKeyboardShortcutModifier final : public QObject
{
    Q_OBJECT

public:
    GlobalKeyboardShortcutModifier(QAbstractButton &content, Name name);

    const Name &name() const { return m_name; }
    bool isRecorderActive() const { return m_isRecorderActive; }
    // The combination that clicks the button now; empty for none.
    QKeySequence keySequence() const;

private:
    // Reads the stored shortcut afresh, as the view does each time it is rebuilt.
    void rebuild();

    Name m_name;
    // Starts false whatever a recorder is doing, and learns only from the notifications.
    bool m_isRecorderActive = false;
    QShortcut *m_shortcut;
};

} // namespace GlobalShortcuts
