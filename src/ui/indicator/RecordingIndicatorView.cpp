// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/indicator/RecordingIndicatorView.h"

#include "engine/AppState.h"
#include "ui/kit/FrameClock.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr double kWaveformWidth = 90;
constexpr double kRingWidth = 22;
constexpr double kContentHeight = 22;
constexpr double kInsetX = 10;
constexpr double kInsetY = 7;
constexpr double kHiddenScale = 0.3;
constexpr double kFlashSpacing = 5;

QColor white(double opacity)
{
    QColor color(Qt::white);
    color.setAlphaF(float(opacity));
    return color;
}

double unit(double value)
{
    return std::clamp(value, 0.0, 1.0);
}

// Scales what `draw` paints by `scale` about `center`.
template <typename Draw>
void scaledAbout(QPainter &painter, QPointF center, double scale, double opacity, Draw draw)
{
    if (opacity <= 0)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.translate(center);
    painter.scale(scale, scale);
    painter.translate(-center);
    draw();
    painter.restore();
}

} // namespace

RecordingIndicatorView::RecordingIndicatorView(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState), m_clock(new FrameClock(this)),
      m_seenRecording(appState.state().isRecording()),
      m_seenProcessing(appState.state().isProcessing()), m_seenFlash(appState.showDiscardedFlash()),
      m_waveformPresence(0.25, 0.8, m_seenRecording ? 1 : 0), m_ringPresence(0.25, 0.8, 0),
      m_contentWidth(0.3, 0.85, m_seenRecording || m_seenFlash ? kWaveformWidth : kRingWidth),
      m_flashPresence(0.3, 0.85, m_seenFlash ? 1 : 0)
{}

QSize RecordingIndicatorView::sizeHint() const
{
    return {164, 38};
}

double RecordingIndicatorView::sweepLocation(double t)
{
    return (std::fmod(t, 4.0) / 4.0) * 0.8 + 0.1;
}

void RecordingIndicatorView::followModel(double now)
{
    const bool recording = m_appState.state().isRecording();
    const bool processing = m_appState.state().isProcessing();
    const bool flash = m_appState.showDiscardedFlash();

    // The ring grows in when transcribing starts and vanishes at once when it ends.
    if (processing && !m_seenProcessing) {
        m_ringPresence.setTarget(1, now);
    } else if (!processing && m_seenProcessing) {
        m_ringPresence.jumpTo(0);
    }

    // Starting or ending a recording animates everything it moves; the flash coming or going by
    // itself switches at once.
    const double width = recording || flash ? kWaveformWidth : kRingWidth;
    if (recording != m_seenRecording) {
        m_waveformPresence.setTarget(recording ? 1 : 0, now);
        m_contentWidth.setTarget(width, now);
        m_flashPresence.setTarget(flash ? 1 : 0, now);
    } else {
        if (m_contentWidth.target() != width)
            m_contentWidth.jumpTo(width);
        if (flash != m_seenFlash)
            m_flashPresence.jumpTo(flash ? 1 : 0);
    }
    m_seenRecording = recording;
    m_seenProcessing = processing;
    m_seenFlash = flash;
}

QRectF RecordingIndicatorView::capsuleRect(double t)
{
    followModel(t);
    const QPointF center = QRectF(rect()).center();
    const double contentWidth = std::max(0.0, m_contentWidth.value(t));
    const QRectF content(center.x() - contentWidth / 2, center.y() - kContentHeight / 2,
                         contentWidth, kContentHeight);
    return content.adjusted(-kInsetX, -kInsetY, kInsetX, kInsetY);
}

QRegion RecordingIndicatorView::capsuleRegion(qreal scale)
{
    const QRectF capsule = capsuleRect(m_clock->now());
    const double radius = std::min(capsule.width(), capsule.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(capsule, radius, radius);
    return QRegion(path.toFillPolygon(QTransform::fromScale(scale, scale)).toPolygon());
}

void RecordingIndicatorView::paintEvent(QPaintEvent *)
{
    const double t = m_clock->now();
    const QRectF capsule = capsuleRect(t);
    const QRectF content = capsule.adjusted(kInsetX, kInsetY, -kInsetX, -kInsetY);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF center = QRectF(rect()).center();
    paintCapsule(painter, capsule, t);

    const double flash = unit(m_flashPresence.value(t));
    const double others = 1 - flash;
    const double bars = m_waveformPresence.value(t);
    scaledAbout(
        painter, center, kHiddenScale + (1 - kHiddenScale) * bars, unit(bars) * others, [&] {
            const QRectF frame(center.x() - kWaveformWidth / 2, center.y() - kContentHeight / 2,
                               kWaveformWidth, kContentHeight);
            m_waveform.paint(painter, frame, m_appState.currentAudioLevel(), t);
        });
    const double ring = m_ringPresence.value(t);
    scaledAbout(painter, center, kHiddenScale + (1 - kHiddenScale) * ring, unit(ring) * others,
                [&] {
                    const QRectF frame(center.x() - kRingWidth / 2, center.y() - kContentHeight / 2,
                                       kRingWidth, kContentHeight);
                    m_ring.paint(painter, frame, t);
                });
    if (flash > 0)
        paintFlash(painter, content, flash);
}

void RecordingIndicatorView::paintCapsule(QPainter &painter, const QRectF &capsule, double t)
{
    m_background.paint(painter, capsule);
    m_border.paint(painter, capsule, sweepLocation(t));
}

void RecordingIndicatorView::paintFlash(QPainter &painter, const QRectF &content, double opacity)
{
    QFont font = Theme::font(TextStyle::Body);
    font.setWeight(QFont::Medium);
    const QFont symbolFont = Symbols::font(font.pixelSize() + 1);
    const QString symbol = Symbols::text(QStringLiteral("xmark.circle"));
    const QString text = tr("Too short");
    const double symbolWidth = QFontMetricsF(symbolFont).horizontalAdvance(symbol);
    const double textWidth = QFontMetricsF(font).horizontalAdvance(text);
    const double rowWidth = symbolWidth + kFlashSpacing + textWidth;
    QRectF symbolRect(content.center().x() - rowWidth / 2, content.top(), symbolWidth,
                      content.height());
    QRectF textRect(symbolRect.right() + kFlashSpacing, content.top(), textWidth, content.height());

    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setFont(symbolFont);
    painter.setPen(white(0.7));
    painter.drawText(symbolRect, Qt::AlignCenter, symbol);
    painter.setFont(font);
    painter.setPen(white(0.8));
    painter.drawText(textRect, Qt::AlignCenter, text);
    painter.restore();
}

} // namespace ui
