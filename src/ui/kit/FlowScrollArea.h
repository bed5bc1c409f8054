// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QScrollArea>

class QEasingCurve;
class QVariantAnimation;

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
    // The same, its height moving to the new one over `seconds`; an area left with nothing to
    // show is hidden once it has shrunk away, one given something is shown first.
    void animateToContent(double seconds, const QEasingCurve &curve);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int contentHeight(int width) const;

    FlowLayout *m_flow;
    int m_maximumContentHeight;
    // While the height moves, the layout is told the moving height instead of the content's.
    QPointer<QVariantAnimation> m_heightAnimation;
};

} // namespace ui
