// SPDX-License-Identifier: GPL-3.0-or-later
#include "UdevInputDeviceSource.h"

#include <QFile>
#include <QSocketNotifier>

#include <libudev.h>
#include <linux/input.h>
#include <sys/stat.h>

namespace platform::linux_impl {

namespace {

// Only event devices speak the evdev protocol; the legacy mouse and joystick nodes do not.
QString eventDeviceNode(udev_device *device)
{
    const char *node = udev_device_get_devnode(device);
    if (!node)
        return {};
    const QString path = QString::fromLocal8Bit(node);
    return path.startsWith(QLatin1String("/dev/input/event")) ? path : QString();
}

} // namespace

UdevInputDeviceSource::UdevInputDeviceSource(QObject *parent)
    : InputDeviceSource(parent), m_udev(udev_new())
{}

UdevInputDeviceSource::~UdevInputDeviceSource()
{
    m_notifier.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

bool UdevInputDeviceSource::start()
{
    if (m_monitor)
        return true;
    if (!m_udev) {
        m_error = QStringLiteral("udev is not available");
        return false;
    }
    udev_monitor *monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "input", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        m_error = QStringLiteral("udev does not report devices that come and go");
        return false;
    }
    m_monitor = monitor;
    m_notifier =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UdevInputDeviceSource::receive);
    return true;
}

QStringList UdevInputDeviceSource::devices() const
{
    QStringList paths;
    if (!m_udev)
        return paths;
    udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    if (!enumerate)
        return paths;
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry *entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
    {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        const QString path = eventDeviceNode(device);
        if (!path.isEmpty())
            paths.append(path);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    paths.sort();
    return paths;
}

std::optional<bool> UdevInputDeviceSource::declaresFnKey(const QString &path) const
{
    struct stat node;
    if (!m_udev || ::stat(QFile::encodeName(path).constData(), &node) != 0 ||
        !S_ISCHR(node.st_mode))
        return std::nullopt;
    udev_device *device = udev_device_new_from_devnum(m_udev, 'c', node.st_rdev);
    if (!device)
        return std::nullopt;
    // The event node's parent is the input device, which lists the keys.
    udev_device *input = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
    const char *keys = input ? udev_device_get_sysattr_value(input, "capabilities/key") : nullptr;
    std::optional<bool> declares;
    if (keys)
        declares = hasKeyBit(QByteArray(keys), KEY_FN);
    udev_device_unref(device);
    return declares;
}

bool UdevInputDeviceSource::hasKeyBit(const QByteArray &bitmap, int key)
{
    const QList<QByteArray> words = bitmap.trimmed().split(' ');
    // The kernel writes its own longs; ours are as wide on the same machine.
    constexpr int bits = 8 * sizeof(unsigned long);
    const qsizetype index = words.size() - 1 - key / bits;
    if (index < 0 || index >= words.size())
        return false;
    bool ok = false;
    const qulonglong word = words[index].toULongLong(&ok, 16);
    return ok && ((word >> (key % bits)) & 1) != 0;
}

void UdevInputDeviceSource::receive()
{
    // One notification may stand for several queued events; the socket does not block.
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const QString path = eventDeviceNode(device);
        const QByteArray action = udev_device_get_action(device);
        udev_device_unref(device);
        if (path.isEmpty())
            continue;
        if (action == "add")
            emit deviceAdded(path);
        else if (action == "remove")
            emit deviceRemoved(path);
    }
}

} // namespace platform::linux_impl
