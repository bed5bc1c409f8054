// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

namespace ui {

// The small indeterminate progress indicator: a ring of spokes whose bright spoke turns. Its
// clock runs only while the spinner is visible.
class ActivitySpinner final : public QWidget
{
    Q_OBJECT

public:
    explicit ActivitySpinner(int diameter = 16, QWidget *parent = nullptr);

    bool isSpinning() const { return m_clock.isActive(); }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int kSpokes = 8;

    QTimer m_clock;
    int m_step = 0;
};

} // namespace ui
