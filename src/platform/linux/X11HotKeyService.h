// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotKeyService.h"

#include <QAbstractNativeEventFilter>

#include <map>
#include <memory>
#include <optional>

class QObject;
struct xcb_connection_t;

namespace platform::linux_impl {

class XInputRawKeyWatcher;

// Hot keys as passive key grabs on the X root window. A grab is taken four times, with and
// without Caps Lock and Num Lock, so the lock states do not change what the user has to press.
// The program's connection asks for detectable auto-repeat, and repeated presses of a held key
// are dropped, so holding a combination gives one press and one release. Without an X display
// (offscreen, Wayland without XWayland) every registration fails with eventInternalErr.
// A release that never reaches the grab (a popup or menu of ours, or another client, took the
// keyboard meanwhile) is still delivered: XInput 2 raw key events report it whatever holds the
// keyboard, and the key's state on the server confirms it, so a press handed out is always
// followed by its release. Whichever way sees the release first delivers it; the others find
// nothing owed, so a press is followed by exactly one release.
class X11HotKeyService final : public HotKeyService, private QAbstractNativeEventFilter
{
public:
    X11HotKeyService();
    ~X11HotKeyService() override;
    X11HotKeyService(const X11HotKeyService &) = delete;
    X11HotKeyService &operator=(const X11HotKeyService &) = delete;

    Registration registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                HotKeyId id) override;
    bool installEventHandler(EventHandler handler) override;
    void setHotKeyEventsEnabled(bool enabled) override;
    void setRawKeyEventsEnabled(bool enabled) override;
    // X11 has no registry of the desktop's own shortcuts that we could read.
    QList<SystemHotKey> systemHotKeys() const override { return {}; }

    bool isAvailable() const { return m_connection != nullptr; }

private:
    // A press handed out whose grab no longer brings its release (the grab was given back, or
    // the press came as a menu's key event and the menu has closed).
    struct OwedRelease
    {
        // Released as this hot key; without one, as a raw key release of the code and modifiers.
        std::optional<HotKeyId> hotKey;
        std::uint32_t carbonKeyCode = 0;
        std::uint32_t carbonModifiers = 0;
        // Whether the key has been up since: until then a press of it is the server repeating
        // the held key, not a new press that would settle this release.
        bool keyWentUp = false;
    };
    struct Grab
    {
        std::uint8_t keycode = 0;
        std::uint16_t modifiers = 0;
        HotKeyId id;
        // Between the press that reached us and its release; later presses are auto-repeat.
        bool held = false;
    };
    class GrabRegistration;
    class RawKeyFilter;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    bool handleKeyEvent(bool press, std::uint8_t keycode, std::uint16_t state);
    int deliverRawKey(HotKeyEvent::Kind kind, std::uint32_t keyCode, std::uint32_t modifiers);
    void ungrab(std::uint64_t grabKey);
    void watchReleases();
    void onRawKey(quint32 xKeyCode, bool pressed);
    void checkGrabbedRelease(std::uint8_t keycode);
    bool isKeyDown(std::uint8_t keycode) const;
    // Owes the key's release, as this hot key or as a raw key release.
    void oweRelease(std::uint8_t keycode, OwedRelease release);
    // A press of a key whose release is owed but which has not been up since.
    bool isRepeatOfOwedKey(std::uint8_t keycode) const;
    // Delivers the releases owed for the key, if any; true when there were some.
    bool settleOwedReleases(std::uint8_t keycode);
    void deliverRelease(HotKeyId id);

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint16_t m_numLockMask = 0;
    std::map<std::uint64_t, Grab> m_grabs;
    std::uint64_t m_nextGrabKey = 1;
    EventHandler m_handler;
    bool m_filterInstalled = false;
    bool m_hotKeyEventsEnabled = false;
    std::unique_ptr<RawKeyFilter> m_rawKeyFilter;
    // By X key code.
    std::multimap<std::uint8_t, OwedRelease> m_owedReleases;
    // An unmapped window of ours: a message sent to it comes back behind every event the server
    // had sent us before, which tells whether the grab brought a release the raw events saw.
    std::uint32_t m_checkWindow = 0;
    std::unique_ptr<XInputRawKeyWatcher> m_releaseWatcher;
    // Registrations may outlive the service (they belong to the shortcut module); they look here
    // before giving their grab back.
    std::shared_ptr<X11HotKeyService *> m_self;
};

} // namespace platform::linux_impl
