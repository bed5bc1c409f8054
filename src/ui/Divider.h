// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace ui {

// A horizontal hairline with `padding` of empty space above and below it.
class Divider final : public QWidget
{
    Q_OBJECT

public:
    explicit Divider(int padding, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace ui
