// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QFormLayout;
class QWidget;

namespace GlobalShortcuts {

// Labelled rows that line up on the left edges of their controls, not of their labels: each
// label sits before its control, aligned to the control's text, and the controls of all rows of
// one container start at the same x.
class ControlAlignment final
{
public:
    // The container for such rows.
    static QFormLayout *createLayout(QWidget *parent = nullptr);
    // Adds label then control as one row; the control keeps its own size.
    static void addLabelledRow(QFormLayout *layout, QWidget *label, QWidget *control);
};

} // namespace GlobalShortcuts
