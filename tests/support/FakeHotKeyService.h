// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotKeyService.h"

#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace testsupport {

// Records every registration and its release in `log()` ("register 40/0x1800 #1",
// "unregister #1"); the test presses and releases combinations and sends raw key events, which
// reach the installed handler only while their kind is switched on, as on the desktop.
class FakeHotKeyService final : public platform::HotKeyService
{
public:
    FakeHotKeyService();
    ~FakeHotKeyService() override;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                platform::HotKeyId id) override;
    bool installEventHandler(EventHandler handler) override;
    void setHotKeyEventsEnabled(bool enabled) override { m_hotKeyEvents = enabled; }
    void setRawKeyEventsEnabled(bool enabled) override { m_rawKeyEvents = enabled; }
    QList<platform::SystemHotKey> systemHotKeys() const override { return m_systemHotKeys; }

    // Makes registrations of this combination fail with `status` (as another client's grab).
    void refuse(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                int status = eventHotKeyExistsErr);
    void setSystemHotKeys(QList<platform::SystemHotKey> keys) { m_systemHotKeys = std::move(keys); }
    void setHandlerInstallable(bool installable) { m_handlerInstallable = installable; }

    // Presses or releases a combination: the handler gets the event of the registered hot key.
    // Answers the handler's status, or eventNotHandledErr when nothing was delivered.
    int press(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    int release(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    // A hot-key event with any identifier, as another program's hot key would give.
    int fire(platform::HotKeyEvent event);
    // The program's own key press or release while a menu is open.
    int rawKeyDown(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    int rawKeyUp(std::uint32_t keyCode, std::uint32_t carbonModifiers);

    QString log() const { return m_log.join(QStringLiteral(", ")); }
    void clearLog() { m_log.clear(); }
    // Combinations held right now, as "keyCode/0xmodifiers".
    QStringList registered() const;
    bool hasHandler() const { return static_cast<bool>(m_handler); }
    int handlerInstallCount() const { return m_handlerInstallCount; }
    bool hotKeyEventsEnabled() const { return m_hotKeyEvents; }
    bool rawKeyEventsEnabled() const { return m_rawKeyEvents; }

private:
    class FakeRegistration;
    struct Held
    {
        std::uint32_t keyCode;
        std::uint32_t modifiers;
        platform::HotKeyId id;
    };
    int deliverHotKey(platform::HotKeyEvent::Kind kind, std::uint32_t keyCode,
                      std::uint32_t modifiers);
    int deliverRaw(platform::HotKeyEvent::Kind kind, std::uint32_t keyCode,
                   std::uint32_t modifiers);
    void unregister(std::uint64_t key);

    std::map<std::uint64_t, Held> m_held;
    std::uint64_t m_nextKey = 1;
    QMap<QPair<std::uint32_t, std::uint32_t>, int> m_refused;
    QList<platform::SystemHotKey> m_systemHotKeys;
    EventHandler m_handler;
    bool m_handlerInstallable = true;
    int m_handlerInstallCount = 0;
    bool m_hotKeyEvents = false;
    bool m_rawKeyEvents = false;
    QStringList m_log;
    std::shared_ptr<FakeHotKeyService *> m_self;
};

} // namespace testsupport
