// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FlowLayout.h"

#include <QWidget>

#include <gtest/gtest.h>

using ui::FlowLayout;

namespace {

QList<QSize> sizes(std::initializer_list<QSize> list)
{
    return QList<QSize>(list);
}

} // namespace

TEST(FlowLayout, RowsBreakOnlyWhenAChildWouldCrossTheWidth)
{
    EXPECT_EQ(FlowLayout::arrange({}, 6, 200).size, QSize(0, 0));
    const FlowLayout::Arrangement single = FlowLayout::arrange(sizes({{50, 20}}), 6, 200);
    EXPECT_EQ(single.size, QSize(50, 20));
    EXPECT_EQ(single.positions, QList<QPoint>{QPoint(0, 0)});

    const QList<QSize> three = sizes({{60, 20}, {60, 20}, {60, 20}});
    const FlowLayout::Arrangement narrow = FlowLayout::arrange(three, 6, 130);
    EXPECT_EQ(narrow.positions, (QList<QPoint>{{0, 0}, {66, 0}, {0, 26}}));
    EXPECT_EQ(narrow.size, QSize(126, 46));
    // Ending exactly at the edge is still inside it.
    const FlowLayout::Arrangement exact = FlowLayout::arrange(three, 6, 126);
    EXPECT_EQ(exact.positions.at(1), QPoint(66, 0));
    EXPECT_EQ(exact.positions.at(2), QPoint(0, 26));
    const FlowLayout::Arrangement unbounded = FlowLayout::arrange(three, 6, std::nullopt);
    EXPECT_EQ(unbounded.size, QSize(192, 20));
}

TEST(FlowLayout, AnOverWideChildSitsAloneAndTallChildrenSetTheRowHeight)
{
    const FlowLayout::Arrangement wide = FlowLayout::arrange(sizes({{300, 20}, {40, 20}}), 6, 100);
    EXPECT_EQ(wide.positions, (QList<QPoint>{{0, 0}, {0, 26}}));
    EXPECT_EQ(wide.size, QSize(300, 46));
    // Even as the second child it gets a row of its own, and pushes the next one on.
    const FlowLayout::Arrangement middle =
        FlowLayout::arrange(sizes({{40, 20}, {300, 20}, {40, 20}}), 6, 100);
    EXPECT_EQ(middle.positions, (QList<QPoint>{{0, 0}, {0, 26}, {0, 52}}));

    const FlowLayout::Arrangement mixed =
        FlowLayout::arrange(sizes({{40, 20}, {40, 30}, {40, 20}, {40, 10}}), 4, 90);
    EXPECT_EQ(mixed.positions, (QList<QPoint>{{0, 0}, {44, 0}, {0, 34}, {44, 34}}));
    EXPECT_EQ(mixed.size, QSize(84, 54));
}

TEST(FlowLayout, WidgetsArePlacedAtTheirSizeHintsAndTheHeightFollowsTheWidth)
{
    QWidget container;
    auto *flow = new FlowLayout(6, &container);
    QList<QWidget *> children;
    for (int i = 0; i < 3; ++i) {
        auto *child = new QWidget(&container);
        child->setFixedSize(60, 20 + 10 * i);
        flow->addWidget(child);
        children.append(child);
    }
    auto *hidden = new QWidget(&container);
    hidden->setFixedSize(500, 500);
    flow->addWidget(hidden);
    hidden->hide();

    EXPECT_EQ(flow->sizeHint(), QSize(192, 40));
    EXPECT_EQ(flow->heightForWidth(130), 30 + 6 + 40);
    flow->setGeometry(QRect(10, 5, 130, 100));
    EXPECT_EQ(children.at(0)->geometry(), QRect(10, 5, 60, 20));
    EXPECT_EQ(children.at(1)->geometry(), QRect(76, 5, 60, 30));
    EXPECT_EQ(children.at(2)->geometry(), QRect(10, 41, 60, 40));
}
