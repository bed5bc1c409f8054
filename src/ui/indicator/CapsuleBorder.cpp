// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/CapsuleBorder.h"

#include "ui/indicator/PixelGrid.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {

namespace {

constexpr double kLineWidth = 0.5;
constexpr double kBaseOpacity = 0.08;
constexpr double kHighlightOpacity = 0.25;

QPainterPath capsule(const QRectF &rect)
{
    QPainterPath path;
    const double radius = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

bool sameRect(const QRectF &a, const QRectF &b)
{
    constexpr double tolerance = 0.01;
    return std::abs(a.x() - b.x()) < tolerance && std::abs(a.y() - b.y()) < tolerance &&
           std::abs(a.width() - b.width()) < tolerance &&
           std::abs(a.height() - b.height()) < tolerance;
}

} // namespace

void CapsuleBorder::drawMask(const QRectF &rect, QPointF origin, qreal scale)
{
    const QSize size(int(std::ceil(rect.width() * scale)) + 2,
                     int(std::ceil(rect.height() * scale)) + 2);
    m_mask = QImage(size, QImage::Format_Alpha8);
    m_mask.setDevicePixelRatio(scale);
    m_mask.fill(0);
    QPainter painter(&m_mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-origin);
    QPainterPath band = capsule(rect);
    band.addPath(capsule(rect.adjusted(kLineWidth, kLineWidth, -kLineWidth, -kLineWidth)));
    band.setFillRule(Qt::OddEvenFill);
    painter.fillPath(band, Qt::white);
    painter.end();
    m_tinted = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_tinted.setDevicePixelRatio(scale);
}

void CapsuleBorder::paint(QPainter &painter, const QRectF &rect, double highlight)
{
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF origin = PixelGrid::snap(painter, rect.topLeft());
    const QRectF local = rect.translated(-origin);
    if (m_mask.isNull() || m_mask.devicePixelRatio() != scale || !sameRect(local, m_maskCapsule)) {
        drawMask(rect, origin, scale);
        m_maskCapsule = local;
    }

    // The opacity of each column, as a linear gradient from the left to the right edge.
    std::vector<uchar> ramp(m_mask.width());
    const double peak = std::clamp(highlight, 0.0, 1.0);
    for (int x = 0; x < m_mask.width(); ++x) {
        const double at = std::clamp(((x + 0.5) / scale - local.left()) / local.width(), 0.0, 1.0);
        const double share =
            at <= peak ? (peak > 0 ? at / peak : 1.0) : (peak < 1 ? (1 - at) / (1 - peak) : 1.0);
        ramp[x] =
            uchar(std::lround(255 * (kBaseOpacity + (kHighlightOpacity - kBaseOpacity) * share)));
    }
    for (int y = 0; y < m_mask.height(); ++y) {
        const uchar *coverage = m_mask.constScanLine(y);
        auto *out = reinterpret_cast<quint32 *>(m_tinted.scanLine(y));
        for (int x = 0; x < m_mask.width(); ++x) {
            const quint32 alpha = (coverage[x] * ramp[x] + 127) / 255;
            out[x] = alpha * 0x01010101u; // white, premultiplied
        }
    }
    painter.drawImage(origin, m_tinted);
}

} // namespace ui
