// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace ui {

// The borderless window of the floating indicator: above normal windows on every workspace,
// never focused, transparent to the mouse (clicks reach whatever lies below), with a
// see-through background around its content. The window manager does not handle it at all.
class FloatingPanel final : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize panelSize{164, 38};

    FloatingPanel();
};

} // namespace ui
