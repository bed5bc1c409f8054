// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

namespace ui {

// The design's bordered prominent button, stretched to the full width: filled with its tint
// under a white semibold label, darker while pressed, grey while disabled.
class ProminentButton final : public QPushButton
{
    Q_OBJECT

public:
    enum class Size { Regular, Large };

    // `labelSize` is the design's size of the label, grown with the desktop's font.
    ProminentButton(const QString &title, const QColor &tint, int labelSize, Size size,
                    QWidget *parent = nullptr);
};

} // namespace ui
