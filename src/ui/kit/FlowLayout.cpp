// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FlowLayout.h"

#include <QPropertyAnimation>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

const QString kMoveName = QStringLiteral("ui-flow-move");
const char *const kPlacedProperty = "ui-flow-placed";

} // namespace

FlowLayout::Arrangement FlowLayout::arrange(const QList<QSize> &sizes, int spacing,
                                            std::optional<int> maxWidth)
{
    Arrangement arrangement;
    arrangement.positions.reserve(sizes.size());
    int x = 0;
    int y = 0;
    int rowHeight = 0;
    int maxX = 0;
    for (const QSize &size : sizes) {
        // The first item of a row always stays, so an over-wide one cannot loop forever; one
        // ending exactly at the edge still fits.
        if (x > 0 && maxWidth && x + size.width() > *maxWidth) {
            y += rowHeight + spacing;
            x = 0;
            rowHeight = 0;
        }
        arrangement.positions.append(QPoint(x, y));
        rowHeight = std::max(rowHeight, size.height());
        x += size.width() + spacing;
        maxX = std::max(maxX, x - spacing);
    }
    arrangement.size = QSize(maxX, y + rowHeight);
    return arrangement;
}

FlowLayout::FlowLayout(int spacing, QWidget *parent) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    qDeleteAll(m_items);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem *item = m_items.takeAt(index);
    invalidate();
    return item;
}

QList<QLayoutItem *> FlowLayout::shownItems() const
{
    QList<QLayoutItem *> shown;
    shown.reserve(m_items.size());
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            shown.append(item);
    }
    return shown;
}

FlowLayout::Arrangement FlowLayout::arrangeItems(const QList<QLayoutItem *> &items,
                                                 std::optional<int> maxWidth) const
{
    QList<QSize> sizes;
    sizes.reserve(items.size());
    for (const QLayoutItem *item : items) {
        QSize size = item->sizeHint();
        // An item that can give up width (a chip whose label elides) fits the row instead of
        // sticking out of it with what it holds at its end.
        if (maxWidth && size.width() > *maxWidth)
            size.setWidth(std::max(*maxWidth, item->minimumSize().width()));
        sizes.append(size);
    }
    return arrange(sizes, m_spacing, maxWidth);
}

QSize FlowLayout::withMargins(QSize size) const
{
    const QMargins margins = contentsMargins();
    return size.grownBy(margins);
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right();
    return arrangeItems(shownItems(), inner).size.height() + margins.top() + margins.bottom();
}

QSize FlowLayout::sizeHint() const
{
    return withMargins(arrangeItems(shownItems(), std::nullopt).size);
}

QSize FlowLayout::minimumSize() const
{
    // Any width will do: rows wrap, and an item wider than the layout sticks out.
    return withMargins(QSize(0, 0));
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    // Hidden items take no place at all.
    const QList<QLayoutItem *> items = shownItems();
    const Arrangement arrangement = arrangeItems(items, inner.width());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QLayoutItem *item = items.at(i);
        QSize size = item->sizeHint();
        size.setWidth(std::min(size.width(), std::max(inner.width(), item->minimumSize().width())));
        place(item, QRect(inner.topLeft() + arrangement.positions.at(i), size));
    }
    m_nextMove.reset();
}

void FlowLayout::animateNextArrangement(double seconds, const QEasingCurve &curve)
{
    m_nextMove.emplace(qRound(seconds * 1000.0), curve);
}

void FlowLayout::place(QLayoutItem *item, const QRect &target)
{
    QWidget *widget = item->widget();
    if (!widget) {
        item->setGeometry(target);
        return;
    }
    // Owned by the widget, so it ends with it.
    auto *move = widget->findChild<QPropertyAnimation *>(kMoveName, Qt::FindDirectChildrenOnly);
    if (move && move->state() != QAbstractAnimation::Running) {
        move->setObjectName(QString()); // finished, waiting for its deletion
        move = nullptr;
    }
    if (move) {
        // A later pass of the same arrangement (the area settling its height) keeps it going.
        move->setEndValue(target);
    } else if (m_nextMove && widget->property(kPlacedProperty).toBool() &&
               widget->geometry() != target) {
        move = new QPropertyAnimation(widget, "geometry", widget);
        move->setObjectName(kMoveName);
        move->setDuration(m_nextMove->first);
        move->setEasingCurve(m_nextMove->second);
        move->setEndValue(target);
        move->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        item->setGeometry(target);
    }
    widget->setProperty(kPlacedProperty, true);
}

} // namespace ui
