// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QToolButton>

namespace ui {

// A borderless button whose label is one symbol of the design in a colour.
class SymbolButton final : public QToolButton
{
    Q_OBJECT

public:
    SymbolButton(const QString &name, int pixelSize, const QColor &color,
                 QWidget *parent = nullptr);

    void setSymbol(const QString &name, const QColor &color);
    QString symbol() const { return m_name; }

private:
    QString m_name;
};

} // namespace ui
