// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FlowScrollArea.h"

#include "ui/kit/FlowLayout.h"

#include <QVariantAnimation>

#include <algorithm>

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

void FlowScrollArea::fitToContent()
{
    if (m_heightAnimation)
        m_heightAnimation->stop(); // deletes itself
    updateGeometry();
}

void FlowScrollArea::animateToContent(double seconds, const QEasingCurve &curve)
{
    const int from = isVisible() ? heightForWidth(width()) : 0;
    const int to = contentHeight(width());
    if (m_heightAnimation)
        m_heightAnimation->stop();
    setVisible(true);
    auto *animation = new QVariantAnimation(this);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(static_cast<int>(seconds * 1000));
    animation->setEasingCurve(curve);
    connect(animation, &QVariantAnimation::valueChanged, this, [this] { updateGeometry(); });
    connect(animation, &QVariantAnimation::finished, this, [this, to] {
        setVisible(to > 0);
        updateGeometry();
    });
    m_heightAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

int FlowScrollArea::heightForWidth(int width) const
{
    if (m_heightAnimation)
        return m_heightAnimation->currentValue().toInt();
    return contentHeight(width);
}

int FlowScrollArea::contentHeight(int width) const
{
    // Rows measured at the full width: when they fit, no scroll bar takes room from them; when
    // they do not, the area is at its maximum anyway.
    return std::min(m_flow->heightForWidth(std::max(1, width)), m_maximumContentHeight);
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
