// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/ChipView.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ui {

ChipView::ChipView(const QString &label, QWidget *parent) : CardFrame(6, parent), m_label(label)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(4);
    auto *text = new QLabel(this);
    text->setTextFormat(Qt::PlainText);
    text->setText(label);
    Theme::style(text, TextStyle::Callout);
    row->addWidget(text);
    auto *remove =
        BorderlessButton::symbolOnly(QStringLiteral("xmark"), 9, Emphasis::Secondary, this);
    remove->setToolTip(tr("Remove"));
    connect(remove, &BorderlessButton::clicked, this, &ChipView::removeClicked);
    row->addWidget(remove);
}

} // namespace ui
