// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform::linux_impl {

// Where the input devices (/dev/input/event*) come from: those present now, and those that appear
// and disappear later (a Bluetooth keyboard that connects after login or wakes from sleep).
// Signals arrive on the main thread.
class InputDeviceSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~InputDeviceSource() override = default;

    // Starts following devices that come and go; false, with the reason in `error()`, when only
    // the devices present now can be had.
    virtual bool start() = 0;
    // The event devices present now, by device node.
    virtual QStringList devices() const = 0;
    virtual QString error() const = 0;
    // Opens the device for reading without blocking: its descriptor, or -1 with errno set.
    virtual int openDevice(const QString &path) const;
    // Whether the device says it has the Fn key, asked without opening it (so also of one this
    // user may not read); none when that cannot be known.
    virtual std::optional<bool> declaresFnKey(const QString &path) const;
    // Whether the opened device can send the Fn key at all; asks the device for its keys.
    virtual bool reportsFnKey(int fd) const;
    // Whether the opened device's Fn key is down right now; none when the device does not say.
    virtual std::optional<bool> isFnKeyDown(int fd) const;

signals:
    void deviceAdded(const QString &path);
    void deviceRemoved(const QString &path);
};

} // namespace platform::linux_impl
