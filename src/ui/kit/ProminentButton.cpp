// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ProminentButton.h"

#include "ui/kit/Theme.h"

namespace ui {

ProminentButton::ProminentButton(const QString &title, const QColor &tint, int labelSize, Size size,
                                 QWidget *parent)
    : QPushButton(title, parent)
{
    QFont label = Theme::font(TextStyle::Body);
    label.setPixelSize(Theme::scaled(labelSize));
    label.setWeight(QFont::DemiBold);
    setFont(label);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const bool large = size == Size::Large;
    setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                 " border-radius: %3px; padding: %4; }"
                                 "QPushButton:pressed { background: %2; }"
                                 "QPushButton:disabled { background: rgba(128, 128, 128, 0.25);"
                                 " color: rgba(128, 128, 128, 0.9); }")
                      .arg(tint.name(), tint.darker(115).name(), large ? "6" : "5",
                           large ? "8px 12px" : "4px 10px"));
}

} // namespace ui
