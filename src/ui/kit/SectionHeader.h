// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace ui {

// The small heading of a settings group: a symbol and the title, shown in upper case.
class SectionHeader final : public QWidget
{
    Q_OBJECT

public:
    SectionHeader(const QString &title, const QString &icon, QWidget *parent = nullptr);

    QString title() const { return m_title; }

private:
    QString m_title;
};

} // namespace ui
