// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ShortcutModePicker.h"

#include "engine/AppState.h"
#include "ui/kit/Theme.h"

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
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_label);
    auto *segmentBox = new QWidget(this);
    segmentBox->setFixedWidth(width);
    auto *segmentRow = new QHBoxLayout(segmentBox);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    // Touching segments read as one control; the chosen one in the selection colour.
    segmentRow->setSpacing(0);
    // A style sheet takes the palette's colours once: they are written out, and the sheet is
    // written again when the palette changes.
    Theme::follow(this, QStringLiteral("ui.ShortcutModePicker.segments"), [this, segmentBox] {
        const QPalette colors = palette();
        const QString sheet =
            QStringLiteral("QPushButton { border: 1px solid %1; background: %2;"
                           " padding: 3px 8px; }"
                           "QPushButton:checked { background: %3;"
                           " color: %4; border-color: %3; }")
                .arg(colors.color(QPalette::Mid).name(), colors.color(QPalette::Button).name(),
                     colors.color(QPalette::Highlight).name(),
                     colors.color(QPalette::HighlightedText).name());
        if (segmentBox->styleSheet() != sheet)
            segmentBox->setStyleSheet(sheet);
    });
    for (std::size_t i = 0; i < shortcutModeOptions.size(); ++i) {
        const ShortcutModeOption &option = shortcutModeOptions[i];
        auto *segment = new QPushButton(
            QCoreApplication::translate("ShortcutModePicker", option.title), segmentBox);
        segment->setCheckable(true);
        segment->setFocusPolicy(Qt::TabFocus);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_segments->addButton(segment, int(i));
        segmentRow->addWidget(segment, 1);
        const bool value = option.useFnKey;
        connect(segment, &QPushButton::clicked, this, [this, value] { pick(value); });
    }
    layout->addWidget(segmentBox);
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
