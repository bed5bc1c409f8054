// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/SectionHeader.h"

#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

namespace {

constexpr int kDesignSize = 12;

} // namespace

SectionHeader::SectionHeader(const QString &title, const QString &icon, QWidget *parent)
    : QWidget(parent), m_title(title)
{
    const ThemeColor secondary = Emphasis::Secondary;
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(new SymbolLabel(icon, Theme::scaled(kDesignSize), secondary, this));
    // Only the display is upper case; the title itself keeps its case.
    auto *label = new QLabel(title.toUpper(), this);
    QFont font = Theme::font(TextStyle::Callout);
    font.setPixelSize(Theme::scaled(kDesignSize));
    font.setWeight(QFont::DemiBold);
    Theme::style(label, TextStyle::Callout, secondary);
    label->setFont(font);
    layout->addWidget(label);
    layout->addStretch();
}

} // namespace ui
