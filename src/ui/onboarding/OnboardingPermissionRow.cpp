// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingPermissionRow.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ui {

OnboardingPermissionRow::OnboardingPermissionRow(const Texts &texts, QWidget *parent)
    : QWidget(parent), m_texts(texts)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(28, 16, 28, 16);
    row->setSpacing(14);

    m_icon =
        new SymbolLabel(texts.symbolNotGranted, Theme::scaled(22), texts.colorNotGranted, this);
    m_icon->setFixedWidth(Theme::scaled(32));
    row->addWidget(m_icon, 0, Qt::AlignVCenter);

    auto *column = new QVBoxLayout;
    column->setSpacing(3);
    auto *titleLine = new QHBoxLayout;
    auto *title = new QLabel(texts.title, this);
    QFont titleFont = Theme::font(TextStyle::Body);
    titleFont.setPixelSize(Theme::scaled(14));
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    titleLine->addWidget(title);
    titleLine->addStretch(1);
    m_grantedLabel = new QLabel(tr("Granted"), this);
    Theme::style(m_grantedLabel, TextStyle::Caption, Theme::color(NamedColor::Green));
    titleLine->addWidget(m_grantedLabel);
    column->addLayout(titleLine);

    m_description = new QLabel(texts.description, this);
    m_description->setWordWrap(true);
    Theme::style(m_description, TextStyle::Caption, Emphasis::Secondary);
    column->addWidget(m_description);

    m_button = BorderlessButton::link(texts.buttonTitle, TextStyle::Caption, this);
    column->addWidget(m_button, 0, Qt::AlignLeft);
    connect(m_button, &BorderlessButton::clicked, this, &OnboardingPermissionRow::buttonClicked);

    m_hint = new QLabel(texts.hint, this);
    m_hint->setWordWrap(true);
    Theme::style(m_hint, TextStyle::Caption2, Emphasis::Tertiary);
    column->addWidget(m_hint);

    row->addLayout(column, 1);
    m_granted = true; // so the first call draws
    setGranted(false);
}

void OnboardingPermissionRow::setGranted(bool granted)
{
    if (granted == m_granted)
        return;
    m_granted = granted;
    const QString symbol =
        granted ? QStringLiteral("checkmark.circle.fill") : m_texts.symbolNotGranted;
    const QColor color = granted ? Theme::color(NamedColor::Green) : m_texts.colorNotGranted;
    // A grant seen while the window is up replaces the symbol visibly rather than in one frame.
    if (isVisible())
        m_icon->replaceSymbol(symbol, color, iconReplaceSeconds);
    else
        m_icon->setSymbol(symbol, color);
    m_grantedLabel->setVisible(granted);
    m_description->setVisible(!granted);
    m_button->setVisible(!granted);
    m_hint->setVisible(!granted && !m_texts.hint.isEmpty());
}

} // namespace ui
