// SPDX-License-Identifier: GPL-3.0-or-later
#include "FnKeyWatcher.h"

#include "InputDeviceSource.h"
#include "platform/DeleteLater.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <linux/input.h>
#include <unistd.h>

#include <vector>

namespace platform::linux_impl {

namespace {

struct Opened
{
    // The device's descriptor when it reports the key, else -1.
    int fd = -1;
    bool unreadable = false;
    // Not readable by this user, and it may have the key.
    bool forbidden = false;
};

Opened openIfReportsFn(const InputDeviceSource &source, const QString &path)
{
    Opened opened;
    const int fd = source.openDevice(path);
    if (fd < 0) {
        const bool denied = errno == EACCES || errno == EPERM;
        opened.unreadable = true;
        // Without a word from the device it may be the keyboard with the key.
        opened.forbidden = denied && source.declaresFnKey(path).value_or(true);
        return opened;
    }
    if (!source.reportsFnKey(fd)) {
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    return opened;
}

} // namespace

struct FnKeyWatcher::Device
{
    ~Device()
    {
        // This may run inside the notifier's own signal; it is deleted later.
        if (notifier)
            notifier->setEnabled(false);
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    DeleteLaterPtr<QSocketNotifier> notifier;
    // Bytes of an event that arrived split across reads (a pipe may do that).
    QByteArray pending;
    bool fnDown = false;
    // The kernel dropped events (we read too late); what follows up to the next report is partial.
    bool dropped = false;
};

FnKeyWatcher::FnKeyWatcher(std::unique_ptr<InputDeviceSource> source, QObject *parent)
    : QObject(parent), m_source(std::move(source))
{}

FnKeyWatcher::~FnKeyWatcher() = default;

bool FnKeyWatcher::start()
{
    if (m_following || !m_devices.empty())
        return true;
    // Following first, so a device that appears while the present ones are opened is not missed
    // (opening one twice does nothing).
    m_following = m_source->start();
    if (m_following) {
        connect(m_source.get(), &InputDeviceSource::deviceAdded, this, &FnKeyWatcher::openDevice);
        connect(m_source.get(), &InputDeviceSource::deviceRemoved, this,
                &FnKeyWatcher::removeDevice);
    }
    for (const QString &path : m_source->devices())
        openDevice(path);
    return m_following || !m_devices.empty();
}

QString FnKeyWatcher::error() const
{
    if (!m_devices.empty())
        return {};
    QString reason = QStringLiteral("no input device reports the Fn key");
    if (m_unreadable > 0)
        reason += QStringLiteral(" (%1 of %2 devices are not readable by this user)")
                      .arg(m_unreadable)
                      .arg(m_seen);
    if (!m_following)
        reason += QStringLiteral("; keyboards connected later are not seen: ") + m_source->error();
    return reason;
}

void FnKeyWatcher::openDevice(const QString &path)
{
    if (m_devices.count(path))
        return;
    ++m_seen;
    const Opened opened = openIfReportsFn(*m_source, path);
    m_unreadable += opened.unreadable ? 1 : 0;
    // The same node may come back readable (the seat's access rights changed).
    if (opened.forbidden)
        m_forbidden.insert(path);
    else
        m_forbidden.remove(path);
    if (opened.fd < 0) {
        noteAccess();
        return;
    }
    auto device = std::make_unique<Device>();
    device->fd = opened.fd;
    device->notifier.reset(new QSocketNotifier(opened.fd, QSocketNotifier::Read));
    connect(device->notifier.get(), &QSocketNotifier::activated, this,
            [this, path] { readDevice(path); });
    m_devices.emplace(path, std::move(device));
    noteAccess();
}

FnKeyAccess FnKeyWatcher::access() const
{
    if (!m_devices.empty())
        return FnKeyAccess::seen;
    return m_forbidden.isEmpty() ? FnKeyAccess::noKeyboard : FnKeyAccess::notPermitted;
}

void FnKeyWatcher::noteAccess()
{
    const FnKeyAccess now = access();
    if (now == m_access)
        return;
    m_access = now;
    emit accessChanged();
}

FnKeyAccess FnKeyWatcher::lookAt(const InputDeviceSource &source)
{
    bool forbidden = false;
    for (const QString &path : source.devices()) {
        const Opened opened = openIfReportsFn(source, path);
        if (opened.fd >= 0) {
            ::close(opened.fd);
            return FnKeyAccess::seen;
        }
        forbidden = forbidden || opened.forbidden;
    }
    return forbidden ? FnKeyAccess::notPermitted : FnKeyAccess::noKeyboard;
}

void FnKeyWatcher::readDevice(const QString &path)
{
    const auto it = m_devices.find(path);
    if (it == m_devices.end())
        return;
    Device &device = *it->second;
    bool gone = false;
    char buffer[64 * sizeof(input_event)];
    for (;;) {
        const ssize_t count = ::read(device.fd, buffer, sizeof buffer);
        if (count > 0) {
            device.pending.append(buffer, static_cast<int>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // Unplugged (ENODEV) or the writer went away; it is opened again when it comes back.
        gone = count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    const qsizetype whole = device.pending.size() / qsizetype(sizeof(input_event));
    std::vector<bool> changes;
    for (qsizetype i = 0; i < whole; ++i) {
        input_event event;
        std::memcpy(&event, device.pending.constData() + i * sizeof(input_event), sizeof event);
        if (event.type == EV_SYN && event.code == SYN_DROPPED) {
            device.dropped = true;
        } else if (device.dropped) {
            // The release may have been lost: the key's real state decides.
            if (event.type == EV_SYN && event.code == SYN_REPORT) {
                device.dropped = false;
                const bool wasDown = changes.empty() ? device.fnDown : changes.back();
                const std::optional<bool> down = m_source->isFnKeyDown(device.fd);
                if (down && *down != wasDown)
                    changes.push_back(*down);
            }
        } else if (event.type == EV_KEY && event.code == KEY_FN &&
                   (event.value == 0 || event.value == 1)) {
            // Value 2 is auto-repeat of a held key.
            changes.push_back(event.value == 1);
        }
    }
    device.pending.remove(0, whole * qsizetype(sizeof(input_event)));
    if (!changes.empty())
        device.fnDown = changes.back();
    if (gone) {
        // A key held while its keyboard vanished would otherwise stay down for good.
        if (device.fnDown)
            changes.push_back(false);
        m_devices.erase(it);
    }
    // A receiver may stop the watching from inside its slot.
    const QPointer<FnKeyWatcher> self(this);
    for (const bool pressed : changes) {
        if (!self)
            return;
        emit fnChanged(pressed);
    }
    if (self && gone)
        noteAccess();
}

void FnKeyWatcher::removeDevice(const QString &path)
{
    const auto it = m_devices.find(path);
    if (it == m_devices.end()) {
        // One this user could not read goes, and with it maybe the last reason to ask for access.
        if (m_forbidden.remove(path))
            noteAccess();
        return;
    }
    // Events still queued on the device come first; their receivers may stop the watching.
    const QPointer<FnKeyWatcher> self(this);
    readDevice(path);
    if (!self)
        return;
    const auto left = m_devices.find(path);
    if (left == m_devices.end())
        return;
    const bool wasDown = left->second->fnDown;
    m_devices.erase(left);
    if (wasDown)
        emit fnChanged(false);
    if (self)
        noteAccess();
}

} // namespace platform::linux_impl
