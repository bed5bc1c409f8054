// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/CapsuleBackground.h"

#include "ui/indicator/BlurredLayer.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace ui {

namespace {

constexpr double kShadowRadius = 8;
constexpr double kShadowOffset = 2;
// How far the shadow's blur reaches: three deviations of a radius-8 blur.
constexpr double kShadowReach = 3 * kShadowRadius / 2;

QPainterPath capsulePath(const QRectF &rect)
{
    QPainterPath path;
    const double radius = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

void CapsuleBackground::renderReference(double height, qreal scale)
{
    // Straight long enough that its middle column lies beyond the blur of either round end.
    const double width = height + 2 * kShadowReach + 2;
    const double margin = std::ceil(kShadowReach + kShadowOffset) + 1;
    m_margin = int(std::ceil(margin * scale));
    m_capsuleWidth = int(std::lround(width * scale));
    m_capsuleHeight = int(std::lround(height * scale));
    m_reference = QImage(m_capsuleWidth + 2 * m_margin, m_capsuleHeight + 2 * m_margin,
                         QImage::Format_ARGB32_Premultiplied);
    m_reference.fill(Qt::transparent);
    const QRectF capsule(m_margin, m_margin, m_capsuleWidth, m_capsuleHeight);
    {
        QPainter painter(&m_reference);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsulePath(capsule.translated(0, kShadowOffset * scale)),
                         QColor(0, 0, 0, 64));
    }
    BlurredLayer::blur(m_reference, kShadowRadius * scale);
    QPainter painter(&m_reference);
    painter.setRenderHint(QPainter::Antialiasing);
    // No blur of what lies behind on X11: a dark translucent fill stands in for the material.
    const QPainterPath shape = capsulePath(capsule);
    painter.fillPath(shape, QColor(30, 30, 32, 150));
    painter.fillPath(shape, QColor(0, 0, 0, 102));
    m_height = height;
    m_scale = scale;
}

void CapsuleBackground::paint(QPainter &painter, const QRectF &capsule)
{
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (m_reference.isNull() || m_height != capsule.height() || m_scale != scale)
        renderReference(capsule.height(), scale);

    // Device pixels of the target capsule's edges, and where the reference image would start.
    const int left = int(std::lround(capsule.left() * scale));
    const int right = int(std::lround(capsule.right() * scale));
    const int top = int(std::lround(capsule.top() * scale)) - m_margin;
    const int imageWidth = m_reference.width();
    const int imageHeight = m_reference.height();
    const int middle = imageWidth / 2;
    const int leftOrigin = left - m_margin;                    // image placed by the left edge
    const int rightOrigin = right - m_margin - m_capsuleWidth; // image placed by the right edge
    const int gap = rightOrigin - leftOrigin;

    const auto blit = [&](int destX, int destWidth, int sourceX, int sourceWidth) {
        if (destWidth <= 0 || sourceWidth <= 0)
            return;
        painter.drawImage(
            QRectF(destX / scale, top / scale, destWidth / scale, imageHeight / scale), m_reference,
            QRectF(sourceX, 0, sourceWidth, imageHeight));
    };
    if (gap >= 0) {
        blit(leftOrigin, middle, 0, middle);
        blit(leftOrigin + middle, gap, middle, 1);
        blit(rightOrigin + middle, imageWidth - middle, middle, imageWidth - middle);
    } else {
        // Narrower than the reference: its two halves meet at the centre.
        const int split = leftOrigin + middle + gap / 2;
        blit(leftOrigin, split - leftOrigin, 0, split - leftOrigin);
        blit(split, rightOrigin + imageWidth - split, split - rightOrigin,
             rightOrigin + imageWidth - split);
    }
}

} // namespace ui
