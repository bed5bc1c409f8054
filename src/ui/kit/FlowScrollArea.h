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
    // Room kept free below the rows while the area is shown, part of its own height so that it
    // comes and goes with the area instead of in one step when the area hides. Set once.
    void setSpaceBelow(int pixels);
    // Asks the surrounding layout for a new height; call after adding or removing items.
    void fitToContent();
    // The same, its height moving from the one on screen to the new one over `seconds`; an area
    // left with nothing to show is hidden once it has shrunk away, one given something is shown
    // first.
    void animateToContent(double seconds, const QEasingCurve &curve);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    // The height the area ends at for `width`: nothing when the rows are empty.
    int targetHeight(int width) const;
    void endMove(bool shown);

    FlowLayout *m_flow;
    int m_maximumContentHeight;
    int m_spaceBelow = 0;
    // While the height moves: the height it started from and how far (0 to 1) it has gone
    // towards the target, which is worked out at the width the layout asks for.
    QPointer<QVariantAnimation> m_heightAnimation;
    int m_moveFrom = 0;
    double m_moveProgress = 0;
};

} // namespace ui
