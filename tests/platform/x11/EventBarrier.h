// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QWindow>

#include <cstdint>

namespace x11test {

class XTestClient;

// Waits until the program has handled every X event the server sent it before now, so a test can
// tell that something did not happen: another client sends a message to a window of ours, and
// X hands it to us after all the events that came before it. Installed after the program's own
// filters, it sees each X event before them.
class EventBarrier final : public QAbstractNativeEventFilter
{
public:
    EventBarrier();
    ~EventBarrier() override;
    EventBarrier(const EventBarrier &) = delete;
    EventBarrier &operator=(const EventBarrier &) = delete;

    // False when the message did not come back in time.
    [[nodiscard]] bool pass(XTestClient &client);
    // The presses of an X key code that reached the program (a grabbed key's repeats included).
    int pressesOf(std::uint8_t keycode) const { return m_presses[keycode]; }

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    QWindow m_window;
    std::uint32_t m_sent = 0;
    std::uint32_t m_arrived = 0;
    int m_presses[256] = {};
};

} // namespace x11test
