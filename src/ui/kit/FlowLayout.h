// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEasingCurve>
#include <QLayout>
#include <QList>
#include <QPoint>
#include <QSize>

#include <optional>
#include <utility>

namespace ui {

// Places its items left to right at their size hints and starts a new row when the next item
// would cross the available width, like words in a paragraph. `spacing` is both the gap between
// neighbours and the gap between rows. An item wider than the width sits alone on its row,
// narrowed to the width as far as its minimum size allows; beyond that it sticks out.
class FlowLayout final : public QLayout
{
    Q_OBJECT

public:
    struct Arrangement
    {
        QSize size;              // the widest row by the bottom of the last row
        QList<QPoint> positions; // top-left of each item, in item order
    };

    // The arrangement of items of `sizes` within `maxWidth` (unbounded when absent).
    static Arrangement arrange(const QList<QSize> &sizes, int spacing, std::optional<int> maxWidth);

    explicit FlowLayout(int spacing, QWidget *parent = nullptr);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // One row of every item.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;
    // The next arrangement moves the items already placed to their new places over `seconds`
    // along `curve` instead of at once; items placed for the first time appear in place.
    void animateNextArrangement(double seconds, const QEasingCurve &curve);

private:
    void place(QLayoutItem *item, const QRect &target);

    QList<QLayoutItem *> shownItems() const;
    Arrangement arrangeItems(const QList<QLayoutItem *> &items, std::optional<int> maxWidth) const;
    QSize withMargins(QSize size) const;

    QList<QLayoutItem *> m_items;
    int m_spacing;
    std::optional<std::pair<int, QEasingCurve>> m_nextMove; // milliseconds, curve
};

} // namespace ui
