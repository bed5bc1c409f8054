// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/DialogPresenter.h"

#include "GlobalShortcuts/RecorderAlert.h"

#include <QPushButton>

namespace ui {

namespace {

DialogPresenter::Answerer &answerer()
{
    static DialogPresenter::Answerer instance;
    return instance;
}

} // namespace

int DialogPresenter::present(QWidget *parent, const Alert &alert)
{
    if (answerer())
        return answerer()(alert);
    QMessageBox box(alert.icon, alert.title, alert.text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &title : alert.buttons) {
        QPushButton *button = box.addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole
                                                                     : QMessageBox::RejectRole);
        if (buttons.isEmpty())
            box.setDefaultButton(button);
        buttons.append(button);
    }
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

int DialogPresenter::presentRecorderAlert(QWidget *parent,
                                          const GlobalShortcuts::RecorderAlert &alert)
{
    QString text = alert.messageText;
    if (!alert.informativeText.isEmpty())
        text += QStringLiteral("\n\n") + alert.informativeText;
    return present(parent, {QStringLiteral("Parlovox"), text, alert.buttons, QMessageBox::NoIcon});
}

void DialogPresenter::setAnswerer(Answerer newAnswerer)
{
    answerer() = std::move(newAnswerer);
}

} // namespace ui
