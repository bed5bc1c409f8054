// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/PermissionCard.h"

#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ui {

PermissionCard::PermissionCard(const QString &name, const QString &icon, QWidget *parent)
    : CardFrame(8, parent), m_icon(icon)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(10);

    m_symbol = new SymbolLabel(icon, Theme::scaled(16), Emphasis::Secondary, this);
    m_symbol->setFixedWidth(Theme::scaled(24));
    row->addWidget(m_symbol);

    auto *title = new QLabel(this);
    title->setTextFormat(Qt::PlainText);
    title->setText(name);
    QFont titleFont = Theme::font(TextStyle::Body);
    titleFont.setWeight(QFont::Medium);
    title->setFont(titleFont);
    row->addWidget(title);
    row->addStretch();

    m_grantedMark = new QWidget(this);
    auto *mark = new QHBoxLayout(m_grantedMark);
    mark->setContentsMargins(0, 0, 0, 0);
    mark->setSpacing(4);
    mark->addWidget(new SymbolLabel(QStringLiteral("checkmark.circle.fill"), Theme::scaled(14),
                                    Theme::color(NamedColor::Green), m_grantedMark));
    auto *grantedText = new QLabel(tr("Granted"), m_grantedMark);
    Theme::style(grantedText, TextStyle::Caption, Emphasis::Secondary);
    mark->addWidget(grantedText);
    row->addWidget(m_grantedMark);

    m_buttons = new QWidget(this);
    auto *buttons = new QHBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(6);
    m_openFailure = new QLabel(m_buttons);
    m_openFailure->setTextFormat(Qt::PlainText);
    Theme::style(m_openFailure, TextStyle::Caption, Emphasis::Secondary);
    m_openFailure->hide();
    buttons->addWidget(m_openFailure);
    auto *request = new QPushButton(tr("Request"), m_buttons);
    auto *openSettings = new QPushButton(tr("Open Settings"), m_buttons);
    for (QPushButton *button : {request, openSettings}) {
        button->setFont(Theme::font(TextStyle::Subheadline));
        buttons->addWidget(button);
    }
    connect(request, &QPushButton::clicked, this, &PermissionCard::requestClicked);
    connect(openSettings, &QPushButton::clicked, this, &PermissionCard::openSettingsClicked);
    row->addWidget(m_buttons);

    refresh();
}

void PermissionCard::setGranted(bool granted)
{
    if (m_granted == granted)
        return;
    m_granted = granted;
    refresh();
}

void PermissionCard::showOpenSettingsFailure(const QString &reason)
{
    m_openFailure->setText(reason);
    m_openFailure->show();
}

QString PermissionCard::openSettingsFailure() const
{
    return m_openFailure->isHidden() ? QString() : m_openFailure->text();
}

void PermissionCard::refresh()
{
    m_symbol->setSymbol(m_icon, m_granted ? ThemeColor(Theme::color(NamedColor::Green))
                                          : ThemeColor(Emphasis::Secondary));
    m_grantedMark->setVisible(m_granted);
    m_buttons->setVisible(!m_granted);
}

} // namespace ui
