// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "InputDeviceSource.h"

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace platform::linux_impl {

// The input devices as udev knows them: listed from sysfs, followed through udev's device events,
// which arrive once udev has set the device node up (and its access rights).
class UdevInputDeviceSource final : public InputDeviceSource
{
    Q_OBJECT

public:
    explicit UdevInputDeviceSource(QObject *parent = nullptr);
    ~UdevInputDeviceSource() override;

    bool start() override;
    QStringList devices() const override;
    QString error() const override { return m_error; }
    // From the key capabilities sysfs shows of the device to everyone.
    std::optional<bool> declaresFnKey(const QString &path) const override;
    // Whether a key bitmap as sysfs writes it (hexadecimal words, most significant first,
    // leading zero words left out) has the bit of `key`.
    static bool hasKeyBit(const QByteArray &bitmap, int key);

private:
    void receive();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_error;
};

} // namespace platform::linux_impl
