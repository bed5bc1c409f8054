// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeHotKeyService.h"

namespace testsupport {

using platform::HotKeyEvent;

namespace {
QString combination(std::uint32_t keyCode, std::uint32_t modifiers)
{
    return QStringLiteral("%1/0x%2").arg(keyCode).arg(modifiers, 0, 16);
}
} // namespace

class FakeHotKeyService::FakeRegistration final : public platform::HotKeyRegistration
{
public:
    FakeRegistration(std::weak_ptr<FakeHotKeyService *> service, std::uint64_t key)
        : m_service(std::move(service)), m_key(key)
    {}
    ~FakeRegistration() override
    {
        if (auto service = m_service.lock())
            (*service)->unregister(m_key);
    }

private:
    std::weak_ptr<FakeHotKeyService *> m_service;
    std::uint64_t m_key;
};

FakeHotKeyService::FakeHotKeyService() : m_self(std::make_shared<FakeHotKeyService *>(this)) {}

FakeHotKeyService::~FakeHotKeyService() = default;

platform::HotKeyService::Registration
FakeHotKeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                  platform::HotKeyId id)
{
    const auto refused = m_refused.constFind({keyCode, carbonModifiers});
    if (refused != m_refused.constEnd()) {
        m_log << QStringLiteral("refuse %1 #%2")
                     .arg(combination(keyCode, carbonModifiers))
                     .arg(id.id);
        return {*refused, nullptr};
    }
    const std::uint64_t key = m_nextKey++;
    m_held.emplace(key, Held{keyCode, carbonModifiers, id});
    m_log
        << QStringLiteral("register %1 #%2").arg(combination(keyCode, carbonModifiers)).arg(id.id);
    return {noErr, std::make_unique<FakeRegistration>(m_self, key)};
}

void FakeHotKeyService::unregister(std::uint64_t key)
{
    const auto it = m_held.find(key);
    if (it == m_held.end())
        return;
    m_log << QStringLiteral("unregister #%1").arg(it->second.id.id);
    m_held.erase(it);
}

bool FakeHotKeyService::installEventHandler(EventHandler handler)
{
    if (!m_handlerInstallable)
        return false;
    m_handler = std::move(handler);
    ++m_handlerInstallCount;
    return true;
}

void FakeHotKeyService::refuse(std::uint32_t keyCode, std::uint32_t carbonModifiers, int status)
{
    m_refused.insert({keyCode, carbonModifiers}, status);
}

int FakeHotKeyService::press(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverHotKey(HotKeyEvent::Kind::hotKeyPressed, keyCode, carbonModifiers);
}

int FakeHotKeyService::release(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverHotKey(HotKeyEvent::Kind::hotKeyReleased, keyCode, carbonModifiers);
}

int FakeHotKeyService::deliverHotKey(HotKeyEvent::Kind kind, std::uint32_t keyCode,
                                     std::uint32_t modifiers)
{
    for (const auto &[key, held] : m_held) {
        if (held.keyCode == keyCode && held.modifiers == modifiers) {
            HotKeyEvent event;
            event.kind = kind;
            event.hotKeyId = held.id;
            return fire(event);
        }
    }
    return eventNotHandledErr;
}

int FakeHotKeyService::fire(HotKeyEvent event)
{
    if (!m_handler || !m_hotKeyEvents)
        return eventNotHandledErr;
    const EventHandler handler = m_handler;
    return handler(event);
}

int FakeHotKeyService::rawKeyDown(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverRaw(HotKeyEvent::Kind::rawKeyDown, keyCode, carbonModifiers);
}

int FakeHotKeyService::rawKeyUp(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    return deliverRaw(HotKeyEvent::Kind::rawKeyUp, keyCode, carbonModifiers);
}

int FakeHotKeyService::deliverRaw(HotKeyEvent::Kind kind, std::uint32_t keyCode,
                                  std::uint32_t modifiers)
{
    if (!m_handler || !m_rawKeyEvents)
        return eventNotHandledErr;
    HotKeyEvent event;
    event.kind = kind;
    event.keyCode = keyCode;
    event.modifiers = modifiers;
    const EventHandler handler = m_handler;
    return handler(event);
}

QStringList FakeHotKeyService::registered() const
{
    QStringList result;
    for (const auto &[key, held] : m_held)
        result << combination(held.keyCode, held.modifiers);
    return result;
}

} // namespace testsupport
