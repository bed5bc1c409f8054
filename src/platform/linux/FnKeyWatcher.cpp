// SPDX-License-Identifier: GPL-3.0-or-later
#include "FnKeyWatcher.h"

#include <QDir>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::linux_impl {

struct FnKeyWatcher::Device
{
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    // Bytes of an event that arrived split across reads (a pipe may do that).
    QByteArray pending;
};

FnKeyWatcher::FnKeyWatcher(QString directory, DeviceFilter reportsFnKey, QObject *parent)
    : QObject(parent), m_directory(std::move(directory)), m_reportsFnKey(std::move(reportsFnKey))
{}

FnKeyWatcher::~FnKeyWatcher()
{
    for (auto &device : m_devices)
        closeDevice(*device);
}

bool FnKeyWatcher::deviceReportsFnKey(int fd)
{
    unsigned long keys[(KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1] = {};
    if (::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0)
        return false;
    constexpr size_t bits = 8 * sizeof(unsigned long);
    return (keys[KEY_FN / bits] >> (KEY_FN % bits)) & 1;
}

bool FnKeyWatcher::start()
{
    if (!m_devices.empty())
        return true;
    const QDir directory(m_directory);
    const QStringList names =
        directory.entryList({QStringLiteral("event*")}, QDir::System | QDir::Files, QDir::Name);
    if (!directory.exists() || names.isEmpty()) {
        m_error = QStringLiteral("%1 has no input devices").arg(m_directory);
        return false;
    }
    int unreadable = 0;
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(directory.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            ++unreadable;
            continue;
        }
        if (!m_reportsFnKey(fd)) {
            ::close(fd);
            continue;
        }
        auto device = std::make_unique<Device>();
        device->fd = fd;
        device->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Device *raw = device.get();
        connect(device->notifier.get(), &QSocketNotifier::activated, this,
                [this, raw] { readDevice(*raw); });
        m_devices.push_back(std::move(device));
    }
    if (m_devices.empty()) {
        m_error =
            unreadable > 0
                ? QStringLiteral("no input device under %1 reports the Fn key (%2 of %3 "
                                 "devices are not readable by this user)")
                      .arg(m_directory)
                      .arg(unreadable)
                      .arg(names.size())
                : QStringLiteral("no input device under %1 reports the Fn key").arg(m_directory);
        return false;
    }
    return true;
}

void FnKeyWatcher::readDevice(Device &device)
{
    char buffer[64 * sizeof(input_event)];
    for (;;) {
        const ssize_t count = ::read(device.fd, buffer, sizeof buffer);
        if (count > 0) {
            device.pending.append(buffer, static_cast<int>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // Unplugged (ENODEV) or the writer went away: stop watching it.
            closeDevice(device);
            break;
        }
        break;
    }
    const qsizetype whole = device.pending.size() / qsizetype(sizeof(input_event));
    std::vector<bool> changes;
    for (qsizetype i = 0; i < whole; ++i) {
        input_event event;
        std::memcpy(&event, device.pending.constData() + i * sizeof(input_event), sizeof event);
        // Value 2 is auto-repeat of a held key.
        if (event.type == EV_KEY && event.code == KEY_FN && (event.value == 0 || event.value == 1))
            changes.push_back(event.value == 1);
    }
    device.pending.remove(0, whole * qsizetype(sizeof(input_event)));
    // A receiver may stop the watching from inside its slot.
    const QPointer<FnKeyWatcher> self(this);
    for (const bool pressed : changes) {
        if (!self)
            return;
        emit fnChanged(pressed);
    }
}

void FnKeyWatcher::closeDevice(Device &device)
{
    // This may run inside the notifier's own signal.
    if (device.notifier) {
        device.notifier->setEnabled(false);
        device.notifier.release()->deleteLater();
    }
    if (device.fd >= 0)
        ::close(device.fd);
    device.fd = -1;
}

} // namespace platform::linux_impl
