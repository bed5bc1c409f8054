// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/Theme.h"

#include <QLabel>

namespace ui {

// Plain text (never rich text: it shows what users and servers wrote) wrapped to the label's
// width, breaking inside a word that is wider than a line, and cut with an ellipsis after
// `maximumLines` lines. The shown lines are separate text lines, so the label needs no
// height-for-width layout.
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);
    // `text` in a text style and colour.
    ElidedLabel(const QString &text, TextStyle style, const ThemeColor &color,
                QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }
    // 0: as many lines as the text needs.
    void setMaximumLines(int lines);
    int maximumLines() const { return m_maximumLines; }
    // What the label shows now, one entry per line.
    QStringList shownLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // `text` wrapped to `width` in `font`, at most `maximumLines` lines (0: no limit), the last
    // one ending in an ellipsis when text was left out.
    static QStringList wrap(const QString &text, const QFont &font, int width, int maximumLines);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();

    QString m_fullText;
    int m_maximumLines = 0;
};

} // namespace ui
