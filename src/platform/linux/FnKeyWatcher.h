// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

namespace platform::linux_impl {

class InputDeviceSource;

// The Fn key of keyboards that report it (KEY_FN) to the Linux input layer. X key codes stop at
// 255, so the key never reaches the X server; it is read from the input devices themselves, those
// this user may open. Keyboards with the key are mostly external ones that connect late or drop
// out during sleep, so devices are followed as they come, go and come back. Reading happens on
// the main thread whenever a device has data.
class FnKeyWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit FnKeyWatcher(std::unique_ptr<InputDeviceSource> source, QObject *parent = nullptr);
    ~FnKeyWatcher() override;

    // Opens the devices present that report the key and follows those that come later. False
    // when neither is possible. `error()` says why no device is watched yet, if none is.
    bool start();
    QString error() const;
    bool hasFnDevice() const { return !m_devices.empty(); }
    // One look at the devices `source` lists now, without watching: whether one of them that
    // this user may read reports the key.
    static bool anyDeviceReportsFnKey(const InputDeviceSource &source);

signals:
    // Fn went down (true) or up (false); auto-repeat is left out. A device that goes away while
    // its Fn key is down counts as a release.
    void fnChanged(bool pressed);
    // hasFnDevice() changed.
    void hasFnDeviceChanged();

private:
    struct Device;
    void openDevice(const QString &path);
    void readDevice(const QString &path);
    void removeDevice(const QString &path);

    std::unique_ptr<InputDeviceSource> m_source;
    std::map<QString, std::unique_ptr<Device>> m_devices;
    bool m_following = false;
    int m_seen = 0;
    int m_unreadable = 0;
};

} // namespace platform::linux_impl
