// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ThemeColor.h"

#include "ui/kit/Theme.h"

namespace ui {

ThemeColor::ThemeColor(Emphasis emphasis)
    : m_role(QPalette::WindowText), m_opacity(Theme::opacity(emphasis))
{}

QColor ThemeColor::resolve(const QPalette &palette) const
{
    if (m_role == QPalette::NoRole)
        return m_fixed;
    QColor color = palette.color(m_role);
    color.setAlphaF(float(color.alphaF() * m_opacity));
    return color;
}

} // namespace ui
