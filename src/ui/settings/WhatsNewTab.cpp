// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/WhatsNewTab.h"

#include "ui/kit/CardFrame.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ui {

namespace {

// Changelog texts are shown as written: markup in them must not be interpreted.
QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace

WhatsNewTab::WhatsNewTab(const QList<ChangelogEntry> &entries, QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    outer->addWidget(scroll);

    auto *page = new QWidget;
    auto *stack = new QVBoxLayout(page);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(16);
    for (const ChangelogEntry &entry : entries)
        stack->addWidget(makeCard(entry, page));
    stack->addStretch();
    scroll->setWidget(page);
}

QWidget *WhatsNewTab::makeCard(const ChangelogEntry &entry, QWidget *parent) const
{
    auto *card = new CardFrame(8, parent);
    auto *column = new QVBoxLayout(card);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(6);

    auto *heading = new QHBoxLayout;
    // However long the version, the card keeps to the page and the date stays whole: the version
    // gives up room, ending in an ellipsis.
    auto *version = new ElidedLabel(card);
    version->setMaximumLines(1);
    QFont versionFont = Theme::font(TextStyle::Body);
    versionFont.setPixelSize(Theme::scaled(14));
    versionFont.setWeight(QFont::Bold);
    version->setFont(versionFont);
    version->setFullText(QStringLiteral("v") + entry.version);
    heading->addWidget(version, 1);
    QLabel *date = plainLabel(entry.date, card);
    Theme::style(date, TextStyle::Caption, Emphasis::Secondary);
    heading->addWidget(date);
    column->addLayout(heading);

    QFont lineFont = Theme::font(TextStyle::Body);
    lineFont.setPixelSize(Theme::scaled(12));
    for (const QString &line : entry.lines) {
        auto *row = new QHBoxLayout;
        row->setSpacing(6);
        QLabel *bullet = plainLabel(QStringLiteral("•"), card);
        Theme::style(bullet, TextStyle::Body, Emphasis::Secondary);
        bullet->setFont(lineFont);
        row->addWidget(bullet, 0, Qt::AlignTop);
        QLabel *text = plainLabel(line, card);
        text->setFont(lineFont);
        text->setWordWrap(true);
        row->addWidget(text, 1, Qt::AlignTop);
        column->addLayout(row);
    }
    return card;
}

} // namespace ui
