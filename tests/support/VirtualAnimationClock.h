// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAnimationDriver>

namespace testsupport {

// Qt's animations on virtual time, frame by frame: while one of these exists, no animation moves
// until the test calls frame(), so a test can look at every frame a user would see.
class VirtualAnimationClock final : public QAnimationDriver
{
public:
    static constexpr int frameMs = 16;

    VirtualAnimationClock();
    ~VirtualAnimationClock() override;

    // Lets the event loop start what was asked to start, moves time one frame on, runs that
    // frame's animation steps, and lets the layouts they changed settle and deletions happen.
    void frame();
    // Since the animations last started moving, as Qt counts it.
    qint64 elapsed() const override { return m_now - m_startedAt; }

protected:
    void start() override;

private:
    static void settle();

    qint64 m_now = 0;
    qint64 m_startedAt = 0;
};

} // namespace testsupport
