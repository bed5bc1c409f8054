// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>

namespace ui {

class FlowLayout;

// A vertically scrolling area holding a flow layout that spans its full width. The area is as
// tall as the wrapped rows at its width, up to `maximumContentHeight`; beyond that it scrolls.
class FlowScrollArea final : public QScrollArea
{
    Q_OBJECT

public:
    FlowScrollArea(int spacing, int maximumContentHeight, QWidget *parent = nullptr);

    FlowLayout &flow() const { return *m_flow; }
    // The widget items are added to (their parent).
    QWidget *content() const { return widget(); }
    // Asks the surrounding layout for a new height; call after adding or removing items.
    void fitToContent();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    FlowLayout *m_flow;
    int m_maximumContentHeight;
};

} // namespace ui
