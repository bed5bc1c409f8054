// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinuxEventMonitors.h"

#include "FnKeyWatcher.h"
#include "KeyPositionTable.h"
#include "ModifierKeys.h"
#include "UdevInputDeviceSource.h"
#include "XInputRawKeyWatcher.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
#include <QWindow>

#include <vector>

Q_LOGGING_CATEGORY(lcEventMonitors, "parlovox.eventmonitors", QtInfoMsg)

namespace platform::linux_impl {

namespace {
constexpr quint16 fnKeyCode = 63;
} // namespace

using modifierkeys::capsLockFlag;
using modifierkeys::eventFromQtKey;
using modifierkeys::flagForModifierKey;
using modifierkeys::isModifierKey;

// Removes its monitor when dropped, if the service still exists.
class LinuxEventMonitors::Monitor final : public EventMonitor
{
public:
    Monitor(LinuxEventMonitors *service, bool global, std::uint64_t id)
        : m_service(service), m_global(global), m_id(id)
    {}
    ~Monitor() override
    {
        if (m_service)
            m_service->removeMonitor(m_global, m_id);
    }

private:
    QPointer<LinuxEventMonitors> m_service;
    bool m_global;
    std::uint64_t m_id;
};

LinuxEventMonitors::LinuxEventMonitors(DeviceSourceFactory deviceSources)
    : m_deviceSources(std::move(deviceSources))
{
    if (!m_deviceSources)
        m_deviceSources = [] { return std::make_unique<UdevInputDeviceSource>(); };
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

LinuxEventMonitors::~LinuxEventMonitors() = default;

std::unique_ptr<EventMonitor> LinuxEventMonitors::addGlobalMonitor(EventMask mask,
                                                                   GlobalHandler handler)
{
    if (!startGlobalSources())
        return nullptr;
    const std::uint64_t id = m_nextId++;
    m_globalMonitors.emplace(id, Entry{mask, std::move(handler), {}});
    return std::make_unique<Monitor>(this, true, id);
}

std::unique_ptr<EventMonitor> LinuxEventMonitors::addLocalMonitor(EventMask mask,
                                                                  LocalHandler handler)
{
    if (!QCoreApplication::instance())
        return nullptr;
    const std::uint64_t id = m_nextId++;
    m_localMonitors.emplace(id, Entry{mask, {}, std::move(handler)});
    return std::make_unique<Monitor>(this, false, id);
}

void LinuxEventMonitors::removeMonitor(bool global, std::uint64_t id)
{
    (global ? m_globalMonitors : m_localMonitors).erase(id);
    if (global && m_globalMonitors.empty()) {
        // Nobody listens: give the X connection, the thread and the devices back.
        m_rawKeys.reset();
        const bool hadFnKey = m_fnKey != nullptr;
        m_fnKey.reset();
        m_heldModifiers.clear();
        if (hadFnKey)
            emit fnKeyAccessChanged();
    }
}

FnKeyAccess LinuxEventMonitors::fnKeyAccess() const
{
    if (m_fnKey)
        return m_fnKey->access();
    const std::unique_ptr<InputDeviceSource> source = m_deviceSources();
    return source ? FnKeyWatcher::lookAt(*source) : FnKeyAccess::noKeyboard;
}

bool LinuxEventMonitors::startGlobalSources()
{
    if (m_rawKeys || m_fnKey)
        return true;
    auto rawKeys = std::make_unique<XInputRawKeyWatcher>();
    if (rawKeys->start()) {
        connect(rawKeys.get(), &XInputRawKeyWatcher::rawKey, this, &LinuxEventMonitors::onRawKey);
        m_rawKeys = std::move(rawKeys);
    } else {
        qCCritical(lcEventMonitors, "[EventMonitors] Keys of other programs are not seen: %s",
                   qPrintable(rawKeys->error()));
    }
    auto fnKey = std::make_unique<FnKeyWatcher>(m_deviceSources());
    if (fnKey->start()) {
        connect(fnKey.get(), &FnKeyWatcher::fnChanged, this, &LinuxEventMonitors::onFnKey);
        connect(fnKey.get(), &FnKeyWatcher::accessChanged, this,
                &LinuxEventMonitors::fnKeyAccessChanged);
        if (!fnKey->hasFnDevice())
            qCInfo(lcEventMonitors,
                   "[EventMonitors] The Fn key is seen once a keyboard that has it connects: %s",
                   qPrintable(fnKey->error()));
        m_fnKey = std::move(fnKey);
        emit fnKeyAccessChanged();
    } else {
        qCCritical(lcEventMonitors, "[EventMonitors] The Fn key is not seen: %s",
                   qPrintable(fnKey->error()));
    }
    if (!m_rawKeys && !m_fnKey) {
        qCCritical(lcEventMonitors, "[EventMonitors] Global event monitoring is unavailable");
        return false;
    }
    return true;
}

void LinuxEventMonitors::onRawKey(quint32 xKeyCode, bool pressed)
{
    const auto keyCode = KeyPositionTable::carbonKeyCodeForXKeyCode(xKeyCode);
    if (!keyCode)
        return;
    Event event;
    event.keyCode = static_cast<quint16>(*keyCode);
    if (isModifierKey(*keyCode)) {
        const quint16 code = event.keyCode;
        if (pressed == m_heldModifiers.contains(code))
            return; // auto-repeat, or a release we never saw pressed
        if (pressed) {
            m_heldModifiers.insert(code);
            if (code == 57)
                m_capsLock = !m_capsLock;
        } else {
            m_heldModifiers.remove(code);
        }
        event.type = Event::Type::flagsChanged;
    } else {
        event.type = pressed ? Event::Type::keyDown : Event::Type::keyUp;
    }
    // A window of ours with the keyboard focus gets these keys and the local monitors report
    // them. (The application state alone can stay "active" after a popup menu closed.)
    if (QGuiApplication::applicationState() == Qt::ApplicationActive &&
        QGuiApplication::focusWindow())
        return;
    deliverGlobal(event);
}

void LinuxEventMonitors::onFnKey(bool pressed)
{
    if (pressed == m_heldModifiers.contains(fnKeyCode))
        return;
    if (pressed)
        m_heldModifiers.insert(fnKeyCode);
    else
        m_heldModifiers.remove(fnKeyCode);
    Event event;
    event.type = Event::Type::flagsChanged;
    event.keyCode = fnKeyCode;
    deliverGlobal(event);
}

void LinuxEventMonitors::deliverGlobal(const Event &event)
{
    Event withFlags = event;
    withFlags.modifierFlags = m_capsLock ? capsLockFlag : 0;
    for (const quint16 code : std::as_const(m_heldModifiers))
        if (code != 57)
            withFlags.modifierFlags |= flagForModifierKey(code);
    // Handlers may add or drop monitors while we go through them.
    std::vector<std::uint64_t> ids;
    for (const auto &[id, entry] : m_globalMonitors)
        if (maskContains(entry.mask, event.type))
            ids.push_back(id);
    const QPointer<LinuxEventMonitors> self(this);
    for (const std::uint64_t id : ids) {
        if (!self)
            return;
        const auto it = m_globalMonitors.find(id);
        if (it == m_globalMonitors.end())
            continue;
        const GlobalHandler handler = it->second.global;
        handler(withFlags);
    }
}

bool LinuxEventMonitors::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (qobject_cast<QMenu *>(watched))
            menuShown(watched);
        return false;
    case QEvent::Hide:
        if (qobject_cast<QMenu *>(watched))
            menuGone(watched);
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // A window receives each input event first and hands it to its widgets, which would
        // show it to this filter again.
        if (!watched->isWindowType() || m_localMonitors.empty())
            return false;
        return !deliverLocal(watched, event);
    default:
        return false;
    }
}

// True to let the event through.
bool LinuxEventMonitors::deliverLocal(QObject *watched, QEvent *event)
{
    auto *window = static_cast<QWindow *>(watched);
    std::optional<Event> translated;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        translated = eventFromQtKey(*static_cast<QKeyEvent *>(event), window);
    else
        translated = eventFromQtMouseEvent(*event, window);
    if (!translated)
        return true;
    std::vector<std::uint64_t> ids;
    for (const auto &[id, entry] : m_localMonitors)
        if (maskContains(entry.mask, translated->type))
            ids.push_back(id);
    const QPointer<LinuxEventMonitors> self(this);
    for (const std::uint64_t id : ids) {
        if (!self)
            return true;
        const auto it = m_localMonitors.find(id);
        if (it == m_localMonitors.end())
            continue;
        const LocalHandler handler = it->second.local;
        if (!handler(*translated))
            return false;
    }
    return true;
}

void LinuxEventMonitors::menuShown(QObject *menu)
{
    if (m_openMenus.contains(menu))
        return;
    const bool wasTracking = isMenuTracking();
    m_openMenus.insert(menu);
    // A menu destroyed while open sends no hide event.
    connect(menu, &QObject::destroyed, this, &LinuxEventMonitors::menuGone, Qt::UniqueConnection);
    if (!wasTracking)
        emit menuDidBeginTracking();
}

void LinuxEventMonitors::menuGone(QObject *menu)
{
    if (!m_openMenus.remove(menu))
        return;
    disconnect(menu, &QObject::destroyed, this, &LinuxEventMonitors::menuGone);
    if (!isMenuTracking())
        emit menuDidEndTracking();
}

} // namespace platform::linux_impl
