// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalKeyboardShortcutModifier.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"

#include <QAbstractButton>
#include <QShortcut>

namespace GlobalShortcuts {

GlobalKeyboardShortcutModifier::GlobalKeyboardShortcutModifier(QAbstractButton &content, Name name)
    : QObject(&content), m_name(std::move(name)), m_shortcut(new QShortcut(&content))
{
    m_shortcut->setContext(Qt::ApplicationShortcut);
    m_shortcut->setAutoRepeat(false);
    connect(m_shortcut, &QShortcut::activated, &content, &QAbstractButton::click);

    const Notifier &notifier = ModuleContext::current().notifier();
    connect(&notifier, &Notifier::shortcutByNameDidChange, this, [this](const Name &changed) {
        if (changed.rawValue() == m_name.rawValue())
            rebuild();
    });
    connect(&notifier, &Notifier::recorderActiveStatusDidChange, this, [this](bool isActive) {
        m_isRecorderActive = isActive;
        rebuild();
    });
    rebuild();
}

QKeySequence GlobalKeyboardShortcutModifier::keySequence() const
{
    return m_shortcut->key();
}

void GlobalKeyboardShortcutModifier::rebuild()
{
    std::optional<QKeySequence> sequence;
    if (!m_isRecorderActive && ModuleContext::installed()) {
        if (const auto shortcut = getShortcut(m_name))
            sequence = shortcut->toKeySequence();
    }
    m_shortcut->setKey(sequence.value_or(QKeySequence()));
}

} // namespace GlobalShortcuts
