// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutModePicker.h"

#include "engine/AppState.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ui {

ShortcutModePicker::ShortcutModePicker(AppState &appState, const QString &label, QWidget *parent)
    : QWidget(parent), m_appState(&appState), m_label(new QLabel(label, this)),
      m_segments(new QButtonGroup(this))
{
    setFixedWidth(width);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_label);
    auto *segmentRow = new QHBoxLayout;
    // Touching segments read as one control.
    segmentRow->setSpacing(0);
    for (std::size_t i = 0; i < shortcutModeOptions.size(); ++i) {
        const ShortcutModeOption &option = shortcutModeOptions[i];
        auto *segment =
            new QPushButton(QCoreApplication::translate("ShortcutModePicker", option.title), this);
        segment->setCheckable(true);
        segment->setFocusPolicy(Qt::TabFocus);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_segments->addButton(segment, int(i));
        segmentRow->addWidget(segment, 1);
        const bool value = option.useFnKey;
        connect(segment, &QPushButton::clicked, this, [this, value] { pick(value); });
    }
    layout->addLayout(segmentRow, 1);
    m_segments->setExclusive(true);
    connect(&appState, &AppState::useFnKeyChanged, this, &ShortcutModePicker::refresh);
    refresh();
}

void ShortcutModePicker::refresh()
{
    if (!m_appState)
        return;
    for (std::size_t i = 0; i < shortcutModeOptions.size(); ++i)
        if (shortcutModeOptions[i].useFnKey == m_appState->useFnKey())
            m_segments->button(int(i))->setChecked(true);
}

void ShortcutModePicker::pick(bool useFnKey)
{
    if (!m_appState)
        return;
    if (m_appState->useFnKey() == useFnKey) {
        refresh();
        return;
    }
    m_appState->setUseFnKey(useFnKey);
    m_appState->saveSettings();
}

} // namespace ui
