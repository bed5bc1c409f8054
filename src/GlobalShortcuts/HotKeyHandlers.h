// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/CarbonGlobalShortcuts.h"
#include "GlobalShortcuts/EventStream.h"
#include "GlobalShortcuts/HotKeyLayer.h"
#include "GlobalShortcuts/Name.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <functional>
#include <memory>

namespace platform {
class HotKeyService;
}

namespace GlobalShortcuts {

class ModuleContext;

// The module's key-down and key-up handlers per name and its open event streams. Each event of
// a registered hot key goes to every name whose stored shortcut (read afresh) is the one pressed;
// nothing is called while a recorder control records, except the release of a press that was
// dispatched before it started. The program creates one right after the
// ModuleContext and keeps it as long; constructing it installs it as the context's hot-key layer,
// destroying it uninstalls it. The free functions below reach the installed one. The hot-key
// service must outlive it.
class HotKeyHandlers final : public QObject, private HotKeyLayer
{
    Q_OBJECT

public:
    using Action = std::function<void()>;

    HotKeyHandlers(ModuleContext &context, platform::HotKeyService &service);
    ~HotKeyHandlers() override;

    static HotKeyHandlers *installed();

    void onKeyDown(const Name &name, Action action);
    void onKeyUp(const Name &name, Action action);
    void removeHandler(const Name &name);
    void removeAllHandlers();
    void disable(const QList<Name> &names);
    void enable(const QList<Name> &names);
    bool isEnabled(const Name &name) const;
    std::unique_ptr<EventStream> events(const Name &name,
                                        std::optional<EventType> filter = std::nullopt);
    QList<Shortcut> systemHotKeys() const { return m_carbon.systemHotKeys(); }
    int trialRegistration(const Shortcut &shortcut) { return m_carbon.trialRegistration(shortcut); }

    // The dispatch that every hot key of the module calls.
    void handleShortcutEvent(const Shortcut &shortcut, EventType type);

    CarbonGlobalShortcuts &carbon() { return m_carbon; }

private:
    friend class EventStream;
    void registerShortcut(const Shortcut &shortcut) override;
    void unregisterShortcut(const Shortcut &shortcut) override;
    void updateEventHandler() override;

    void attach(QHash<Name, QList<Action>> &table, const Name &name, Action action);
    void streamEnded(const Name &name, const QUuid &id);
    // Whether one of `names` still needs the hot key of `shortcut` for its open streams (or, with
    // `withHandlers`, for its attached actions); disabled names need nothing.
    bool stillNeeds(const QSet<Name> &names, const Shortcut &shortcut, bool withHandlers) const;
    // Gives the hot key back unless `names` still need it or the module's rule keeps it.
    void release(const Shortcut &shortcut, const QSet<Name> &names, bool withHandlers);

    ModuleContext &m_context;
    CarbonGlobalShortcuts m_carbon;
    QHash<Name, QList<Action>> m_keyDownHandlers;
    QHash<Name, QList<Action>> m_keyUpHandlers;
    // One entry per open stream; a stream yields both types and filters itself.
    QHash<Name, QHash<QUuid, QPointer<EventStream>>> m_streams;
    // Shortcuts whose press went out and whose release has not come yet.
    QSet<Shortcut> m_pressed;
};

// The module's operations on the installed HotKeyHandlers; without one they do nothing (and
// isEnabled answers false, events gives nothing).
void onKeyDown(const Name &name, std::function<void()> action);
void onKeyUp(const Name &name, std::function<void()> action);
void removeHandler(const Name &name);
void removeAllHandlers();
void disable(const QList<Name> &names);
template <typename... Names> void disable(const Name &first, const Names &...rest)
{
    disable(QList<Name>{first, rest...});
}
void enable(const QList<Name> &names);
template <typename... Names> void enable(const Name &first, const Names &...rest)
{
    enable(QList<Name>{first, rest...});
}
bool isEnabled(const Name &name);
// The name's presses and releases, or only those of `type`, until the stream is destroyed.
std::unique_ptr<EventStream> events(const Name &name);
std::unique_ptr<EventStream> events(EventType type, const Name &name);
QList<Shortcut> systemHotKeys();
// Whether the desktop would let the module hold the combination (CarbonGlobalShortcuts); without
// an installed HotKeyHandlers nothing can be held (eventInternalErr).
int trialRegistration(const Shortcut &shortcut);

} // namespace GlobalShortcuts
