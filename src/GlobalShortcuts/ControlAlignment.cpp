// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlAlignment.h"

#include <QFormLayout>

namespace GlobalShortcuts {

QFormLayout *ControlAlignment::createLayout(QWidget *parent)
{
    auto *layout = new QFormLayout(parent);
    // Labels hug their control, so the controls' leading edges form the shared line.
    layout->setLabelAlignment(Qt::AlignTrailing | Qt::AlignVCenter);
    layout->setFormAlignment(Qt::AlignLeading | Qt::AlignTop);
    layout->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    layout->setRowWrapPolicy(QFormLayout::DontWrapRows);
    return layout;
}

void ControlAlignment::addLabelledRow(QFormLayout *layout, QWidget *label, QWidget *control)
{
    layout->addRow(label, control);
}

} // namespace GlobalShortcuts
