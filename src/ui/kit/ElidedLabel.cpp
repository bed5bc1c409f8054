// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextLayout>
#include <QtMath>

#include <limits>

namespace ui {

namespace {

// The width `text` takes on one line, measured as wrap() lays it out: font metrics round to
// whole pixels and differ from it by a fraction, enough to push the last word onto a line of its
// own when the label is given just that width.
int naturalWidth(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(std::numeric_limits<int>::max() / 4);
    layout.endLayout();
    return qCeil(line.naturalTextWidth());
}

} // namespace

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

ElidedLabel::ElidedLabel(const QString &text, TextStyle style, const ThemeColor &color,
                         QWidget *parent)
    : ElidedLabel(parent)
{
    Theme::style(this, style, color);
    setFullText(text);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (m_fullText == text)
        return;
    m_fullText = text;
    relayout();
}

void ElidedLabel::setMaximumLines(int lines)
{
    if (m_maximumLines == lines)
        return;
    m_maximumLines = lines;
    relayout();
}

QStringList ElidedLabel::shownLines() const
{
    return QLabel::text().split(QLatin1Char('\n'));
}

QSize ElidedLabel::sizeHint() const
{
    // As wide as the text unwrapped: a label given only what its current lines need would
    // never get back the room to unwrap them.
    int natural = 0;
    for (const QString &line : m_fullText.split(QLatin1Char('\n')))
        natural = qMax(natural, naturalWidth(line, font()));
    const QMargins margins = contentsMargins();
    natural += margins.left() + margins.right() + 2 * margin() + 2 * qMax(0, indent());
    const QSize shown = QLabel::sizeHint();
    return QSize(qMax(shown.width(), natural), shown.height());
}

QSize ElidedLabel::minimumSizeHint() const
{
    // The text follows the width it is given, so it asks for none of its own.
    return QSize(0, QLabel::minimumSizeHint().height());
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    relayout();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        relayout();
}

void ElidedLabel::relayout()
{
    const int width = contentsRect().width() - 2 * margin() - 2 * qMax(0, indent());
    const QString shown =
        wrap(m_fullText, font(), qMax(1, width), m_maximumLines).join(QLatin1Char('\n'));
    if (shown != QLabel::text())
        setText(shown);
}

QStringList ElidedLabel::wrap(const QString &text, const QFont &font, int width, int maximumLines)
{
    // Line breaks of the text itself stay line breaks.
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFontMetrics metrics(font);

    QTextLayout layout(laidOut, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        const int end = line.textStart() + line.textLength();
        if (maximumLines > 0 && lines.size() == maximumLines - 1 && end < laidOut.size()) {
            QString rest = laidOut.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            rest = rest.simplified();
            QString elided = metrics.elidedText(rest, Qt::ElideRight, width);
            // What is left fits only because its line breaks were dropped: still say it is cut.
            if (elided == rest)
                elided = metrics.elidedText(
                    laidOut.mid(line.textStart(), line.textLength()).trimmed() + QChar(0x2026),
                    Qt::ElideRight, width);
            lines.append(elided);
            break;
        }
        QString shown = laidOut.mid(line.textStart(), line.textLength());
        while (!shown.isEmpty() && (shown.back().isSpace() || shown.back() == QChar::LineSeparator))
            shown.chop(1);
        lines.append(shown);
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

} // namespace ui
