// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingStyle.h"

#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace ui {

QColor OnboardingStyle::accent()
{
    static const QColor color = QColor::fromRgbF(0.2f, 0.83f, 0.6f, 1.0f);
    return color;
}

QWidget *OnboardingStyle::header(const QString &symbol, const QString &title,
                                 const QString &subtitle, int paddingAbove, int paddingBelow,
                                 QLabel **subtitleLabel)
{
    auto *header = new QWidget;
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, paddingAbove, 0, paddingBelow);
    layout->setSpacing(8);

    auto *icon = new QLabel(Symbols::text(symbol));
    QFont iconFont = Symbols::font(40);
    iconFont.setWeight(QFont::Medium);
    icon->setFont(iconFont);
    Theme::style(icon, TextStyle::Body, accent());
    icon->setFont(iconFont);
    icon->setAlignment(Qt::AlignCenter);
    icon->setObjectName(QStringLiteral("headerSymbol"));
    layout->addWidget(icon);

    auto *titleLabel = new QLabel(title);
    QFont titleFont = Theme::font(TextStyle::Title);
    titleFont.setPixelSize(22);
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
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(24, 0, 24, 0);
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette linePalette = line->palette();
    linePalette.setColor(QPalette::WindowText,
                         Theme::foreground(line->palette(), Emphasis::Quaternary));
    line->setPalette(linePalette);
    layout->addWidget(line);
    return holder;
}

QPushButton *OnboardingStyle::prominentButton(const QString &title)
{
    auto *button = new QPushButton(title);
    QFont font = Theme::font(TextStyle::Body);
    font.setPixelSize(14);
    font.setWeight(QFont::DemiBold);
    button->setFont(font);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const QColor color = accent();
    QColor disabled = color;
    disabled.setAlphaF(0.35f);
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                         " border-radius: 6px; padding: 8px 12px; }"
                                         "QPushButton:pressed { background: %2; }"
                                         "QPushButton:disabled { background: %3; color: %4; }")
                              .arg(color.name(), color.darker(115).name(),
                                   disabled.name(QColor::HexArgb),
                                   QColor(255, 255, 255, 200).name(QColor::HexArgb)));
    return button;
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
