// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/CardFrame.h"

namespace ui {

// One custom word as a removable chip.
class ChipView final : public CardFrame
{
    Q_OBJECT

public:
    explicit ChipView(const QString &label, QWidget *parent = nullptr);

    QString label() const { return m_label; }

Q_SIGNALS:
    void removeClicked();

private:
    QString m_label;
};

} // namespace ui
