// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace ui {

// The pieces both steps of the onboarding window are built from.
class OnboardingStyle final
{
public:
    // The window's green, the emerald of the theme.
    static QColor accent();
    // Symbol (40, medium, accent), title (22, bold) and the centred subtitle lines, 8 apart.
    // The subtitle may mark bold text with double asterisks. Returns the subtitle label.
    static QWidget *header(const QString &symbol, const QString &title, const QString &subtitle,
                           int paddingAbove, int paddingBelow, QLabel **subtitleLabel = nullptr);
    // A thin line with 24 of padding on either side.
    static QWidget *divider();
    // "Hold **Fn** and say …": the text between double asterisks in bold, as rich text.
    static QString withBold(const QString &text);
};

} // namespace ui
