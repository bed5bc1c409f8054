// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualAnimationClock.h"

#include <QCoreApplication>

namespace testsupport {

VirtualAnimationClock::VirtualAnimationClock()
{
    install();
}

VirtualAnimationClock::~VirtualAnimationClock()
{
    uninstall();
}

void VirtualAnimationClock::start()
{
    m_startedAt = m_now;
    QAnimationDriver::start();
}

void VirtualAnimationClock::frame()
{
    settle();
    m_now += frameMs;
    // Advancing a stopped driver would start it with no animation to time, and the next one to
    // come would take every frame since as its first step.
    if (isRunning())
        advance();
    settle();
}

void VirtualAnimationClock::settle()
{
    // A layout change climbs one parent per turn of the event loop; what was let go goes, as the
    // program's own event loop would have it between two frames.
    for (int turn = 0; turn < 10; ++turn) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace testsupport
