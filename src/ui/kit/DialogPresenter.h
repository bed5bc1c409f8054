// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QStringList>

#include <functional>

class QWidget;

namespace GlobalShortcuts {
struct RecorderAlert;
}

namespace ui {

// A modal alert: title, text and buttons, the first button being the default.
struct Alert
{
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::Warning;
};

// Every alert of the windows goes through here, so tests can answer it without a modal loop.
class DialogPresenter final
{
public:
    using Answerer = std::function<int(const Alert &)>;

    // Shows `alert` modally over `parent` and returns the index of the button pressed (-1 when
    // closed otherwise). With an answerer installed, it answers instead and nothing is shown.
    static int present(QWidget *parent, const Alert &alert);
    // The shortcut recorder's alerts, shown like every other alert of the windows.
    static int presentRecorderAlert(QWidget *parent, const GlobalShortcuts::RecorderAlert &alert);

    // Installs (or, with an empty function, removes) the answerer used instead of the dialog.
    static void setAnswerer(Answerer answerer);
};

} // namespace ui
