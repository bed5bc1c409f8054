// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace ui {

// A horizontal hairline in the separator colour with `padding` of empty space above and below
// it; horizontal contents margins inset it from the sides.
class Divider final : public QWidget
{
    Q_OBJECT

public:
    explicit Divider(int padding, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ui
