// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace testsupport {

// The desktop's font at `points` for as long as the object lives; widgets made meanwhile take it.
class DesktopFont
{
public:
    explicit DesktopFont(int points) : m_saved(QApplication::font())
    {
        QFont font = m_saved;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    ~DesktopFont() { QApplication::setFont(m_saved); }
    DesktopFont(const DesktopFont &) = delete;
    DesktopFont &operator=(const DesktopFont &) = delete;

private:
    QFont m_saved;
};

namespace detail {

inline QString describe(const QWidget &widget)
{
    const auto *label = qobject_cast<const QLabel *>(&widget);
    QString name = QString::fromLatin1(widget.metaObject()->className());
    if (!widget.objectName().isEmpty())
        name += QLatin1Char(' ') + widget.objectName();
    if (label && !label->text().isEmpty())
        name += QStringLiteral(" \"") + label->text().left(40) + QLatin1Char('"');
    return name;
}

inline void collectCut(const QWidget &widget, const QWidget &window, QStringList &cut)
{
    for (const QWidget *child : widget.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisibleTo(&window))
            continue;
        const QRect inWindow(child->mapTo(&window, QPoint(0, 0)), child->size());
        const QSize minimum = child->minimumSizeHint();
        const auto *label = qobject_cast<const QLabel *>(child);
        QString fault;
        if (!window.rect().contains(inWindow))
            fault = QStringLiteral("reaches out of the window");
        else if (minimum.isValid() &&
                 (child->width() < minimum.width() || child->height() < minimum.height()))
            fault = QStringLiteral("smaller than its least size");
        else if (label && label->wordWrap() &&
                 child->height() < label->heightForWidth(child->width()))
            fault = QStringLiteral("too short for its lines");
        if (!fault.isEmpty())
            cut << describe(*child) + QStringLiteral(": ") + fault;
        // What a scroll area holds may lie beyond its view: it scrolls into sight.
        if (!qobject_cast<const QAbstractScrollArea *>(child))
            collectCut(*child, window, cut);
    }
}

} // namespace detail

// Every widget shown in `window` that is cut: reaching out of the window, or given less room
// than its text or content needs. Empty when everything fits.
inline QStringList cutWidgets(const QWidget &window)
{
    QStringList cut;
    detail::collectCut(window, window, cut);
    return cut;
}

} // namespace testsupport
