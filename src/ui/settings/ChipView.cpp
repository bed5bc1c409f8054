// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/ChipView.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QRegularExpression>

namespace ui {

ChipView::ChipView(const QString &label, QWidget *parent) : CardFrame(6, parent), m_label(label)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(4);
    // One line whatever the word holds, cut with an ellipsis when the row is too narrow for it, so
    // the remove button always stays in reach.
    auto *text = new ElidedLabel(this);
    Theme::style(text, TextStyle::Callout);
    text->setMaximumLines(1);
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]+"));
    text->setFullText(QString(label).replace(lineBreaks, QStringLiteral(" ")));
    row->addWidget(text);
    auto *remove = BorderlessButton::symbolOnly(QStringLiteral("xmark"), Theme::scaled(9),
                                                Emphasis::Secondary, this);
    remove->setToolTip(tr("Remove"));
    connect(remove, &BorderlessButton::clicked, this, &ChipView::removeClicked);
    row->addWidget(remove);
}

} // namespace ui
