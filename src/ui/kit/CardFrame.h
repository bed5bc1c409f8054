// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace ui {

// A rounded panel: a filled rounded rectangle with a thin border drawn just inside its edge. By
// default it is filled with the palette's control background and bordered with its separator
// colour, both read when painting, so a palette change needs no rebuild.
class CardFrame : public QWidget
{
    Q_OBJECT

public:
    explicit CardFrame(qreal radius, QWidget *parent = nullptr);

    // Explicit colours; an invalid colour falls back to the palette's.
    void setColors(const QColor &fill, const QColor &border);

    // The palette colours the design calls control background and separator.
    static QColor controlBackground(const QPalette &palette);
    static QColor separator(const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    QColor m_fill;
    QColor m_border;
};

} // namespace ui
