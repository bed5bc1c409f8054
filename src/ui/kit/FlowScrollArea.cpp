// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FlowScrollArea.h"

#include "ui/kit/FlowLayout.h"

#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace ui {

FlowScrollArea::FlowScrollArea(int spacing, int maximumContentHeight, QWidget *parent)
    : QScrollArea(parent), m_maximumContentHeight(maximumContentHeight)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMaximumHeight(maximumContentHeight);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    m_flow = new FlowLayout(spacing, content);
    setWidget(content);
    viewport()->setAutoFillBackground(false);
}

void FlowScrollArea::setSpaceBelow(int pixels)
{
    m_spaceBelow = pixels;
    setViewportMargins(0, 0, 0, pixels);
    // The scroll bar ends where the rows do, not in the room below them.
    auto *besideTheRoom = new QWidget(this);
    besideTheRoom->setFixedSize(0, pixels);
    addScrollBarWidget(besideTheRoom, Qt::AlignBottom);
    setMaximumHeight(m_maximumContentHeight + pixels);
    updateGeometry();
}

void FlowScrollArea::fitToContent()
{
    if (m_heightAnimation) {
        QVariantAnimation *running = m_heightAnimation;
        m_heightAnimation = nullptr;
        running->stop(); // deletes itself
        endMove(!isHidden());
    }
    updateGeometry();
}

void FlowScrollArea::animateToContent(double seconds, const QEasingCurve &curve)
{
    // From what is on screen, which a move under way has left part of the way.
    const int from = isVisible() ? height() : 0;
    if (m_heightAnimation) {
        QVariantAnimation *running = m_heightAnimation;
        m_heightAnimation = nullptr;
        running->stop();
    }
    auto *animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(static_cast<int>(seconds * 1000));
    animation->setEasingCurve(curve);
    m_heightAnimation = animation;
    m_moveFrom = from;
    m_moveProgress = 0;
    // Showing the area lays its parent out at once: by then it must already ask for the height
    // it starts from, not the one it ends at.
    setVisible(true);
    // The viewport is shorter than the rows while the area grows or shrinks; that is no reason
    // for a scroll bar, unless the rows scroll once the move is over anyway.
    const bool scrollsAtTheEnd =
        m_flow->heightForWidth(std::max(1, width())) > m_maximumContentHeight;
    if (!scrollsAtTheEnd)
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_moveProgress = value.toDouble();
        updateGeometry();
    });
    connect(animation, &QVariantAnimation::finished, this, [this, animation] {
        if (m_heightAnimation != animation)
            return; // replaced by a later move
        m_heightAnimation = nullptr;
        endMove(targetHeight(width()) > 0);
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    updateGeometry();
}

void FlowScrollArea::endMove(bool shown)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVisible(shown);
    updateGeometry();
}

int FlowScrollArea::heightForWidth(int width) const
{
    const int target = targetHeight(width);
    if (!m_heightAnimation)
        return target;
    return m_moveFrom + static_cast<int>(std::lround((target - m_moveFrom) * m_moveProgress));
}

int FlowScrollArea::targetHeight(int width) const
{
    // Rows measured at the full width: when they fit, no scroll bar takes room from them; when
    // they do not, the area is at its maximum anyway.
    const int rows = std::min(m_flow->heightForWidth(std::max(1, width)), m_maximumContentHeight);
    return rows > 0 ? rows + m_spaceBelow : 0;
}

QSize FlowScrollArea::sizeHint() const
{
    // No width of its own: the rows wrap to whatever width the page gives.
    return QSize(0, heightForWidth(width()));
}

QSize FlowScrollArea::minimumSizeHint() const
{
    return QSize(0, 0);
}

} // namespace ui
