// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/PresetToggleButton.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

PresetToggleButton::PresetToggleButton(const VocabularyPreset &preset, QWidget *parent)
    : CardFrame(6, parent), m_presetId(preset.id)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 5, 8, 5);
    row->setSpacing(6);
    m_toggle =
        BorderlessButton::symbolOnly(QStringLiteral("circle"), Theme::scaled(13), QColor(), this);
    connect(m_toggle, &BorderlessButton::clicked, this, &PresetToggleButton::toggleClicked);
    row->addWidget(m_toggle);
    auto *name = new QLabel(this);
    name->setTextFormat(Qt::PlainText);
    name->setText(preset.name);
    Theme::style(name, TextStyle::Caption);
    row->addWidget(name);
    row->addStretch();
    auto *count = new QLabel(QString::number(preset.words.size()), this);
    Theme::style(count, TextStyle::Caption2, Emphasis::Tertiary);
    row->addWidget(count);
    m_preview =
        BorderlessButton::symbolOnly(QStringLiteral("eye"), Theme::scaled(10), QColor(), this);
    connect(m_preview, &BorderlessButton::clicked, this, &PresetToggleButton::previewClicked);
    row->addWidget(m_preview);
    refresh();
}

void PresetToggleButton::setOn(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    refresh();
}

void PresetToggleButton::setPreviewing(bool previewing)
{
    if (m_previewing == previewing)
        return;
    m_previewing = previewing;
    refresh();
}

void PresetToggleButton::refresh()
{
    const ThemeColor secondary = Emphasis::Secondary;
    const QColor green = Theme::color(NamedColor::Green);
    m_toggle->setSymbol(m_enabled ? QStringLiteral("checkmark.circle.fill")
                                  : QStringLiteral("circle"));
    m_toggle->setColor(m_enabled ? ThemeColor(green) : secondary);
    m_preview->setSymbol(m_previewing ? QStringLiteral("eye.fill") : QStringLiteral("eye"));
    m_preview->setColor(m_previewing ? ThemeColor::accent() : secondary);
    QColor border = green;
    border.setAlphaF(0.3f);
    setColors(QColor(), m_enabled ? border : QColor());
}

} // namespace ui
