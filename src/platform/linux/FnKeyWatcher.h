// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FnKeyAccess.h"

#include <QObject>
#include <QSet>
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
    // Whether a watched device reports the key; if none does, whether one that may have it
    // cannot be read by this user.
    FnKeyAccess access() const;
    // One look at the devices `source` lists now, without watching.
    static FnKeyAccess lookAt(const InputDeviceSource &source);

signals:
    // Fn went down (true) or up (false); auto-repeat is left out. A device that goes away while
    // its Fn key is down counts as a release.
    void fnChanged(bool pressed);
    // access() changed.
    void accessChanged();

private:
    struct Device;
    void openDevice(const QString &path);
    void readDevice(const QString &path);
    void removeDevice(const QString &path);
    // Opens `path` if it reports the key: its descriptor, or -1; notes a device this user may
    // not read that may have the key.
    int openFnDevice(const QString &path);
    void noteAccess();

    std::unique_ptr<InputDeviceSource> m_source;
    std::map<QString, std::unique_ptr<Device>> m_devices;
    bool m_following = false;
    int m_seen = 0;
    int m_unreadable = 0;
    // Devices that may have the key but that this user may not read.
    QSet<QString> m_forbidden;
    FnKeyAccess m_access = FnKeyAccess::noKeyboard;
};

} // namespace platform::linux_impl
