// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputDeviceSource.h"

#include <QFile>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>

namespace platform::linux_impl {

int InputDeviceSource::openDevice(const QString &path) const
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

std::optional<bool> InputDeviceSource::declaresFnKey(const QString &) const
{
    return std::nullopt;
}

bool InputDeviceSource::reportsFnKey(int fd) const
{
    unsigned long keys[(KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1] = {};
    if (::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0)
        return false;
    constexpr size_t bits = 8 * sizeof(unsigned long);
    return (keys[KEY_FN / bits] >> (KEY_FN % bits)) & 1;
}

std::optional<bool> InputDeviceSource::isFnKeyDown(int fd) const
{
    unsigned long keys[(KEY_MAX + 1) / (8 * sizeof(unsigned long)) + 1] = {};
    if (::ioctl(fd, EVIOCGKEY(sizeof keys), keys) < 0)
        return std::nullopt;
    constexpr size_t bits = 8 * sizeof(unsigned long);
    return ((keys[KEY_FN / bits] >> (KEY_FN % bits)) & 1) != 0;
}

} // namespace platform::linux_impl
