// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantAnimation>
#include <QWidget>

namespace ui {

// A small indeterminate progress indicator: an arc turning while the widget is shown.
class ProgressSpinner final : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressSpinner(int diameter, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QVariantAnimation m_rotation;
};

} // namespace ui
