// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/settings/Changelog.h"

#include <QWidget>

namespace ui {

// The release notes: one card per changelog entry, in the order given, in a scrolling page.
class WhatsNewTab final : public QWidget
{
    Q_OBJECT

public:
    explicit WhatsNewTab(const QList<ChangelogEntry> &entries, QWidget *parent = nullptr);

private:
    QWidget *makeCard(const ChangelogEntry &entry, QWidget *parent) const;
};

} // namespace ui
