// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingStyle.h"

#include "ui/kit/Divider.h"
#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace ui {

QColor OnboardingStyle::accent()
{
    return Theme::color(NamedColor::Emerald);
}

QWidget *OnboardingStyle::header(const QString &symbol, const QString &title,
                                 const QString &subtitle, int paddingAbove, int paddingBelow,
                                 QLabel **subtitleLabel)
{
    auto *header = new QWidget;
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, paddingAbove, 0, paddingBelow);
    layout->setSpacing(8);

    auto *icon = new SymbolLabel(symbol, Theme::scaled(40), accent());
    QFont iconFont = icon->font();
    iconFont.setWeight(QFont::Medium);
    icon->setFont(iconFont);
    icon->setObjectName(QStringLiteral("headerSymbol"));
    layout->addWidget(icon);

    auto *titleLabel = new QLabel(title);
    QFont titleFont = Theme::font(TextStyle::Title);
    titleFont.setPixelSize(Theme::scaled(22));
    titleFont.setWeight(QFont::Bold);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setObjectName(QStringLiteral("headerTitle"));
    layout->addWidget(titleLabel);

    auto *subtitleText = new QLabel(withBold(subtitle));
    subtitleText->setTextFormat(Qt::RichText);
    Theme::style(subtitleText, TextStyle::Body, Emphasis::Secondary);
    subtitleText->setAlignment(Qt::AlignCenter);
    subtitleText->setObjectName(QStringLiteral("headerSubtitle"));
    layout->addWidget(subtitleText);
    if (subtitleLabel)
        *subtitleLabel = subtitleText;
    return header;
}

QWidget *OnboardingStyle::divider()
{
    auto *divider = new Divider(0);
    divider->setContentsMargins(24, 0, 24, 0);
    return divider;
}

QString OnboardingStyle::withBold(const QString &text)
{
    QString html = text.toHtmlEscaped();
    html.replace(QRegularExpression(QStringLiteral("\\*\\*(.+?)\\*\\*")),
                 QStringLiteral("<b>\\1</b>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return html;
}

} // namespace ui
