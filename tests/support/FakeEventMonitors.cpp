// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeEventMonitors.h"

#include "platform/ModifierFlags.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>

#include <vector>

namespace testsupport {

class FakeEventMonitors::FakeMonitor final : public platform::EventMonitor
{
public:
    FakeMonitor(FakeEventMonitors *owner, std::uint64_t id) : m_owner(owner), m_id(id) {}
    ~FakeMonitor() override
    {
        if (m_owner)
            m_owner->remove(m_id);
    }

private:
    QPointer<FakeEventMonitors> m_owner;
    std::uint64_t m_id;
};

std::unique_ptr<platform::EventMonitor>
FakeEventMonitors::addGlobalMonitor(platform::EventMask mask, GlobalHandler handler)
{
    if (!m_globalAvailable)
        return nullptr;
    const std::uint64_t id = m_nextId++;
    m_global.emplace(id, Entry{mask, std::move(handler), {}});
    ++m_added;
    return std::make_unique<FakeMonitor>(this, id);
}

std::unique_ptr<platform::EventMonitor> FakeEventMonitors::addLocalMonitor(platform::EventMask mask,
                                                                           LocalHandler handler)
{
    const std::uint64_t id = m_nextId++;
    m_local.emplace(id, Entry{mask, {}, std::move(handler)});
    ++m_added;
    return std::make_unique<FakeMonitor>(this, id);
}

void FakeEventMonitors::remove(std::uint64_t id)
{
    m_global.erase(id);
    m_local.erase(id);
}

void FakeEventMonitors::postGlobal(const platform::Event &event)
{
    std::vector<std::uint64_t> ids;
    for (const auto &[id, entry] : m_global)
        if (platform::maskContains(entry.mask, event.type))
            ids.push_back(id);
    for (const auto id : ids) {
        const auto it = m_global.find(id);
        if (it != m_global.end()) {
            const auto handler = it->second.global;
            handler(event);
        }
    }
}

bool FakeEventMonitors::postLocal(const platform::Event &event)
{
    std::vector<std::uint64_t> ids;
    for (const auto &[id, entry] : m_local)
        if (platform::maskContains(entry.mask, event.type))
            ids.push_back(id);
    for (const auto id : ids) {
        const auto it = m_local.find(id);
        if (it != m_local.end()) {
            const auto handler = it->second.local;
            if (!handler(event))
                return false;
        }
    }
    return true;
}

platform::Event FakeEventMonitors::flagsChanged(quint16 keyCode, quint64 modifierFlags)
{
    platform::Event event;
    event.type = platform::Event::Type::flagsChanged;
    event.keyCode = keyCode;
    event.modifierFlags = modifierFlags;
    return event;
}

void FakeEventMonitors::watchApplicationWindows(ScanCodeMap keyCodeForScanCode)
{
    m_keyCodeForScanCode = std::move(keyCodeForScanCode);
    QCoreApplication::instance()->installEventFilter(this);
}

bool FakeEventMonitors::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    // A window hands its input events on to its widgets, which would show them here again.
    if (!watched->isWindowType())
        return false;
    auto *window = static_cast<QWindow *>(watched);
    const auto translated = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
                                ? keyEvent(static_cast<const QKeyEvent &>(*event), window)
                                : platform::eventFromQtMouseEvent(*event, window);
    return translated && !postLocal(*translated);
}

std::optional<platform::Event> FakeEventMonitors::keyEvent(const QKeyEvent &key,
                                                           QWindow *window) const
{
    const std::optional<quint16> keyCode =
        m_keyCodeForScanCode ? m_keyCodeForScanCode(key.nativeScanCode()) : std::nullopt;
    if (!keyCode)
        return std::nullopt;
    platform::Event event;
    event.type = key.type() == QEvent::KeyPress ? platform::Event::Type::keyDown
                                                : platform::Event::Type::keyUp;
    event.window = window;
    event.keyCode = *keyCode;
    event.modifierFlags = platform::cocoaFromQt(key.modifiers());
    event.isARepeat = key.isAutoRepeat();
    return event;
}

void FakeEventMonitors::beginMenuTracking()
{
    if (m_menuTracking)
        return;
    m_menuTracking = true;
    emit menuDidBeginTracking();
}

void FakeEventMonitors::endMenuTracking()
{
    if (!m_menuTracking)
        return;
    m_menuTracking = false;
    emit menuDidEndTracking();
}

} // namespace testsupport
