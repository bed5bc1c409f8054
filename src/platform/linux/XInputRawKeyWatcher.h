// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

class QThread;

namespace platform::linux_impl {

// Every key press and release of the X server's keyboards, whichever program has the focus, as
// XInput 2 raw key events. It reads them on an X connection and a thread of its own: while the
// program's own connection holds a key grab it is given no raw events. Events reach the main
// thread through `rawKey`, in order.
class XInputRawKeyWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit XInputRawKeyWatcher(QObject *parent = nullptr);
    ~XInputRawKeyWatcher() override;

    // Connects to the display and starts reading; false, with the reason in `error()`, when
    // there is no display or it lacks XInput 2.2.
    bool start();
    const QString &error() const { return m_error; }

    // Raw events that keep coming while a client holds a grab need XInput 2.1 or later; the
    // watcher asks for 2.2, the version it is written and tested against, and takes no less.
    static bool isSufficientVersion(int major, int minor);

signals:
    // An X key code went down or up (auto-repeat included).
    void rawKey(quint32 xKeyCode, bool pressed);

private:
    void run();

    struct Connection;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<QThread> m_thread;
    int m_wakeFd = -1;
    QString m_error;
};

} // namespace platform::linux_impl
