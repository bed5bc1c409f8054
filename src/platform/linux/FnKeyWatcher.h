// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace platform::linux_impl {

// The Fn key of keyboards that report it (KEY_FN) to the Linux input layer. X key codes stop at
// 255, so the key never reaches the X server; it is read from the input devices themselves
// (/dev/input/event*), those this user may open. Reading happens on the main thread whenever a
// device has data.
class FnKeyWatcher final : public QObject
{
    Q_OBJECT

public:
    // Whether an opened device can send the Fn key at all.
    using DeviceFilter = std::function<bool(int fd)>;

    explicit FnKeyWatcher(QString directory = QStringLiteral("/dev/input"),
                          DeviceFilter reportsFnKey = &deviceReportsFnKey,
                          QObject *parent = nullptr);
    ~FnKeyWatcher() override;

    // Opens every readable event device that reports the key; false, with the reason in
    // `error()`, when there is none.
    bool start();
    const QString &error() const { return m_error; }

    // Asks the device for its key capabilities.
    static bool deviceReportsFnKey(int fd);

signals:
    // Fn went down (true) or up (false); auto-repeat is left out.
    void fnChanged(bool pressed);

private:
    struct Device;
    void readDevice(Device &device);
    void closeDevice(Device &device);

    QString m_directory;
    DeviceFilter m_reportsFnKey;
    std::vector<std::unique_ptr<Device>> m_devices;
    QString m_error;
};

} // namespace platform::linux_impl
