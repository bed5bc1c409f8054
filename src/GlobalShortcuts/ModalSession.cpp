// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QtGlobal>

namespace GlobalShortcuts {

namespace {
// The running modal loops, innermost last: the application's own modal state, as the event loops
// themselves are.
QList<QEventLoop *> runningLoops;
} // namespace

int runModalLoop()
{
    if (!QCoreApplication::instance()) {
        qWarning("GlobalShortcuts: a modal loop needs the application object");
        return 0;
    }
    QEventLoop loop;
    runningLoops.append(&loop);
    const int response = loop.exec(QEventLoop::DialogExec);
    runningLoops.removeOne(&loop);
    return response;
}

void stopModal(int response)
{
    if (!runningLoops.isEmpty())
        runningLoops.constLast()->exit(response);
}

} // namespace GlobalShortcuts
