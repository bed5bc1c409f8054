// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace GlobalShortcuts {

// A warning the recorder control shows when it refuses a combination (or asks before taking
// one): the message, an optional informative text, and the buttons, the first being the default.
struct RecorderAlert
{
    QString messageText;
    QString informativeText;
    QStringList buttons;
};

// Shows the alert over `parent` and answers the index of the button pressed (-1 when closed
// otherwise). The program routes these into its own dialog seam; without one the module shows
// its own warning box as a sheet on the parent's window.
using AlertPresenter = std::function<int(QWidget *parent, const RecorderAlert &alert)>;

// Through the installed ModuleContext's presenter, or the module's own box.
int presentRecorderAlert(QWidget *parent, const RecorderAlert &alert);

} // namespace GlobalShortcuts
