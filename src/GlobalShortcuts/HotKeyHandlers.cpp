// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyHandlers.h"

#include "platform/HotKeyService.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"

#include <QSet>

namespace GlobalShortcuts {

namespace {
HotKeyHandlers *installedHandlers = nullptr;
}

HotKeyHandlers::HotKeyHandlers(ModuleContext &context, platform::HotKeyService &service)
    : m_context(context), m_carbon(context, service)
{
    if (installedHandlers)
        qFatal("GlobalShortcuts::HotKeyHandlers: hot-key handlers are already installed");
    installedHandlers = this;
    m_context.setHotKeyLayer(this);
    // Shortcuts stored before the hot-key layer existed were only noted; take them now.
    for (const Shortcut &shortcut : std::as_const(m_context.registeredShortcuts()))
        registerShortcut(shortcut);
}

HotKeyHandlers::~HotKeyHandlers()
{
    if (m_context.hotKeyLayer() == this)
        m_context.setHotKeyLayer(nullptr);
    if (installedHandlers == this)
        installedHandlers = nullptr;
    // Streams that outlive us must not call back.
    for (const auto &streams : std::as_const(m_streams))
        for (const auto &stream : streams)
            if (stream)
                stream->m_owner = nullptr;
}

HotKeyHandlers *HotKeyHandlers::installed()
{
    return installedHandlers;
}

void HotKeyHandlers::registerShortcut(const Shortcut &shortcut)
{
    m_carbon.registerHotKey(
        shortcut,
        [this](const Shortcut &pressed) { handleShortcutEvent(pressed, EventType::keyDown); },
        [this](const Shortcut &released) { handleShortcutEvent(released, EventType::keyUp); });
}

void HotKeyHandlers::unregisterShortcut(const Shortcut &shortcut)
{
    m_carbon.unregisterHotKey(shortcut);
}

void HotKeyHandlers::updateEventHandler()
{
    m_carbon.updateEventHandler();
}

void HotKeyHandlers::handleShortcutEvent(const Shortcut &shortcut, EventType type)
{
    // A press handed out before a recorder started (a dictation running when the user clicked
    // into the recorder) is owed its release: whoever started something must hear the key go up.
    const bool owedRelease = type == EventType::keyUp && m_pressed.remove(shortcut);
    // Otherwise the recorder is taking this key; it is consumed and nobody is called.
    if (m_context.isAnyRecorderActive() && !owedRelease)
        return;
    if (type == EventType::keyDown)
        m_pressed.insert(shortcut);
    // Actions may attach, remove or store while we go; the tables are walked as they stood.
    const auto handlers = type == EventType::keyDown ? m_keyDownHandlers : m_keyUpHandlers;
    for (auto it = handlers.cbegin(); it != handlers.cend(); ++it) {
        if (m_context.isDisabled(it.key()) || getShortcut(it.key()) != shortcut)
            continue;
        for (const Action &action : it.value())
            action();
    }
    const auto streams = m_streams;
    for (auto it = streams.cbegin(); it != streams.cend(); ++it) {
        if (it.value().isEmpty() || m_context.isDisabled(it.key()) ||
            getShortcut(it.key()) != shortcut)
            continue;
        for (const QPointer<EventStream> &stream : it.value())
            if (stream)
                stream->yield(type);
    }
}

void HotKeyHandlers::attach(QHash<Name, QList<Action>> &table, const Name &name, Action action)
{
    table[name].append(std::move(action));
    // Attaching registers the name's hot key again, so it ends a disable as enabling does.
    m_context.setDisabled(name, false);
    if (const auto shortcut = getShortcut(name))
        m_context.registerIfNeeded(*shortcut);
}

void HotKeyHandlers::onKeyDown(const Name &name, Action action)
{
    attach(m_keyDownHandlers, name, std::move(action));
}

void HotKeyHandlers::onKeyUp(const Name &name, Action action)
{
    attach(m_keyUpHandlers, name, std::move(action));
}

bool HotKeyHandlers::stillNeeds(const QSet<Name> &names, const Shortcut &shortcut,
                                bool withHandlers) const
{
    for (const Name &name : names) {
        if (m_context.isDisabled(name) || getShortcut(name) != shortcut)
            continue;
        if (!m_streams.value(name).isEmpty())
            return true;
        if (withHandlers && (m_keyDownHandlers.contains(name) || m_keyUpHandlers.contains(name)))
            return true;
    }
    return false;
}

void HotKeyHandlers::release(const Shortcut &shortcut, const QSet<Name> &names, bool withHandlers)
{
    if (!stillNeeds(names, shortcut, withHandlers))
        m_context.releaseUnlessShared(shortcut, names);
}

void HotKeyHandlers::removeHandler(const Name &name)
{
    m_keyDownHandlers.remove(name);
    m_keyUpHandlers.remove(name);
    // The name's own open streams keep the hot key, and so does another stored name.
    if (const auto shortcut = getShortcut(name))
        release(*shortcut, {name}, false);
}

void HotKeyHandlers::removeAllHandlers()
{
    QSet<Name> names;
    for (const auto *table : {&m_keyDownHandlers, &m_keyUpHandlers})
        for (auto it = table->cbegin(); it != table->cend(); ++it)
            names.insert(it.key());
    m_keyDownHandlers.clear();
    m_keyUpHandlers.clear();
    QSet<Shortcut> attached;
    for (const Name &name : std::as_const(names))
        if (const auto shortcut = getShortcut(name))
            attached.insert(*shortcut);
    for (const Shortcut &shortcut : std::as_const(attached))
        release(shortcut, names, false);
}

void HotKeyHandlers::disable(const QList<Name> &names)
{
    // Actions and streams stay, so enabling brings the names back as they were.
    const QSet<Name> disabled(names.cbegin(), names.cend());
    for (const Name &name : names)
        m_context.setDisabled(name, true);
    for (const Name &name : names)
        if (const auto shortcut = getShortcut(name))
            m_context.releaseUnlessShared(*shortcut, disabled);
}

void HotKeyHandlers::enable(const QList<Name> &names)
{
    for (const Name &name : names) {
        m_context.setDisabled(name, false);
        if (const auto shortcut = getShortcut(name))
            m_context.registerIfNeeded(*shortcut);
    }
}

bool HotKeyHandlers::isEnabled(const Name &name) const
{
    const auto shortcut = getShortcut(name);
    return m_context.isEnabled() && !m_context.isDisabled(name) && shortcut &&
           m_context.registeredShortcuts().contains(*shortcut);
}

std::unique_ptr<EventStream> HotKeyHandlers::events(const Name &name,
                                                    std::optional<EventType> filter)
{
    // Added at once rather than on a later turn of the event loop: the caller owns the stream
    // as soon as it has it, and the first press after this call reaches it.
    auto stream = std::make_unique<EventStream>(EventStream::PassKey(), this, name, filter);
    m_streams[name].insert(stream->m_id, stream.get());
    m_context.setDisabled(name, false);
    if (const auto shortcut = getShortcut(name))
        m_context.registerIfNeeded(*shortcut);
    return stream;
}

void HotKeyHandlers::streamEnded(const Name &name, const QUuid &id)
{
    const auto it = m_streams.find(name);
    if (it == m_streams.end() || !it->remove(id))
        return;
    if (it->isEmpty())
        m_streams.erase(it);
    if (const auto shortcut = getShortcut(name))
        release(*shortcut, {name}, true);
}

void onKeyDown(const Name &name, std::function<void()> action)
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->onKeyDown(name, std::move(action));
}

void onKeyUp(const Name &name, std::function<void()> action)
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->onKeyUp(name, std::move(action));
}

void removeHandler(const Name &name)
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->removeHandler(name);
}

void removeAllHandlers()
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->removeAllHandlers();
}

void disable(const QList<Name> &names)
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->disable(names);
}

void enable(const QList<Name> &names)
{
    if (HotKeyHandlers *handlers = HotKeyHandlers::installed())
        handlers->enable(names);
}

bool isEnabled(const Name &name)
{
    const HotKeyHandlers *handlers = HotKeyHandlers::installed();
    return handlers && handlers->isEnabled(name);
}

std::unique_ptr<EventStream> events(const Name &name)
{
    HotKeyHandlers *handlers = HotKeyHandlers::installed();
    return handlers ? handlers->events(name) : nullptr;
}

std::unique_ptr<EventStream> events(EventType type, const Name &name)
{
    HotKeyHandlers *handlers = HotKeyHandlers::installed();
    return handlers ? handlers->events(name, type) : nullptr;
}

QList<Shortcut> systemHotKeys()
{
    const HotKeyHandlers *handlers = HotKeyHandlers::installed();
    return handlers ? handlers->systemHotKeys() : QList<Shortcut>{};
}

int trialRegistration(const Shortcut &shortcut)
{
    HotKeyHandlers *handlers = HotKeyHandlers::installed();
    return handlers ? handlers->trialRegistration(shortcut)
                    : platform::HotKeyService::eventInternalErr;
}

} // namespace GlobalShortcuts
