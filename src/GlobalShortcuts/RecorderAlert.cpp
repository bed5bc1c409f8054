// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecorderAlert.h"

#include "GlobalShortcuts/ModalSession.h"
#include "GlobalShortcuts/ModuleContext.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace GlobalShortcuts {

namespace {

int presentOwnBox(QWidget *parent, const RecorderAlert &alert)
{
    QMessageBox box(parent ? parent->window() : nullptr);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(alert.messageText);
    box.setInformativeText(alert.informativeText);
    QList<QAbstractButton *> buttons;
    for (const QString &title : alert.buttons) {
        QPushButton *button = box.addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole
                                                                     : QMessageBox::RejectRole);
        buttons.append(button);
    }
    if (!buttons.isEmpty())
        box.setDefaultButton(static_cast<QPushButton *>(buttons.constFirst()));
    if (!parent) {
        box.exec();
        return int(buttons.indexOf(box.clickedButton()));
    }
    // A sheet: modal to the parent's window only, with its own loop that the box's answer ends.
    box.setWindowModality(Qt::WindowModal);
    QObject::connect(&box, &QMessageBox::buttonClicked, &box, [&buttons](QAbstractButton *button) {
        stopModal(int(buttons.indexOf(button)));
    });
    QObject::connect(&box, &QDialog::rejected, &box, [] { stopModal(-1); });
    box.open();
    return runModalLoop();
}

} // namespace

int presentRecorderAlert(QWidget *parent, const RecorderAlert &alert)
{
    if (const ModuleContext *context = ModuleContext::installed();
        context && context->alertPresenter())
        return context->alertPresenter()(parent, alert);
    return presentOwnBox(parent, alert);
}

} // namespace GlobalShortcuts
