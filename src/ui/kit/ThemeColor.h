// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace ui {

// How strongly a text or symbol stands out against the window.
enum class Emphasis { Primary, Secondary, Tertiary, Quaternary };

// A colour as the windows ask for it: either fixed (the named colours) or a role of whatever
// palette the widget has at the moment, at an opacity. Kept instead of the QColor it gives, so a
// widget can work it out again when the desktop switches between light and dark.
class ThemeColor final
{
public:
    // A fixed colour; an invalid one stands for "not set".
    ThemeColor(const QColor &color) : m_fixed(color) {}
    // The palette's window text at the emphasis' opacity.
    ThemeColor(Emphasis emphasis);
    ThemeColor(QPalette::ColorRole role, double opacity = 1.0) : m_role(role), m_opacity(opacity) {}

    // The desktop's accent (selection) colour.
    static ThemeColor accent() { return {QPalette::Highlight}; }

    bool isValid() const { return m_role != QPalette::NoRole || m_fixed.isValid(); }
    QColor resolve(const QPalette &palette) const;

    friend bool operator==(const ThemeColor &, const ThemeColor &) = default;

private:
    QColor m_fixed;
    QPalette::ColorRole m_role = QPalette::NoRole;
    double m_opacity = 1.0;
};

} // namespace ui
