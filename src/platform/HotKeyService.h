// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// Who a hot key belongs to: the owner's four-character signature and the owner's own number.
struct HotKeyId
{
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    friend bool operator==(const HotKeyId &, const HotKeyId &) = default;
};

// One event handed to the installed handler.
struct HotKeyEvent
{
    // The values are the Carbon keyboard event kinds.
    enum class Kind : int {
        rawKeyDown = 1,
        rawKeyUp = 3,
        hotKeyPressed = 5,
        hotKeyReleased = 6,
    };

    Kind kind = Kind::hotKeyPressed;
    // For hot-key kinds: the identifier given at registration.
    HotKeyId hotKeyId;
    // For raw-key kinds: the Carbon key code and Carbon modifier mask of the key.
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
};

// A system shortcut of the desktop as the desktop reports it; the modifier mask is in Carbon
// numbering but not necessarily normalised.
struct SystemHotKey
{
    bool enabled = false;
    std::int64_t keyCode = 0;
    std::int64_t modifiers = 0;
};

// A hot key held by the desktop; destroying it gives the key combination back.
class HotKeyRegistration
{
public:
    virtual ~HotKeyRegistration() = default;
};

// System-wide hot keys: a key combination (Carbon key code and Carbon modifier mask) registered
// under an identifier, whose presses and releases reach one installed handler even while another
// program is in front.
class HotKeyService
{
public:
    // Statuses, in Carbon's numbering.
    static constexpr int noErr = 0;
    static constexpr int eventNotHandledErr = -9874;
    // Another client holds the combination already.
    static constexpr int eventHotKeyExistsErr = -9878;
    // The key code has no key on this desktop, or the combination cannot be expressed.
    static constexpr int eventHotKeyInvalidErr = -9879;
    // No desktop to register with (no X display, another windowing system).
    static constexpr int eventInternalErr = -9868;

    struct Registration
    {
        int status = eventInternalErr;
        // Present exactly when `status` is noErr.
        std::unique_ptr<HotKeyRegistration> hotKey;
    };

    // Answers noErr when the handler takes the event, eventNotHandledErr to let it pass on.
    using EventHandler = std::function<int(const HotKeyEvent &)>;

    virtual ~HotKeyService() = default;

    // Registers the combination under `id`. A refused registration has a failure status and no
    // hot key; the reason is the status alone.
    virtual Registration registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                        HotKeyId id) = 0;

    // Installs the one handler that receives the events of the kinds switched on below; false
    // when the desktop offers no event source (then nothing is installed).
    virtual bool installEventHandler(EventHandler handler) = 0;
    // Switches the delivery of hot-key presses and releases to the handler.
    virtual void setHotKeyEventsEnabled(bool enabled) = 0;
    // Switches the delivery of the program's own key presses and releases as raw key events, as
    // they reach the program while one of its menus is open. A raw event the handler takes is
    // swallowed.
    virtual void setRawKeyEventsEnabled(bool enabled) = 0;

    // The desktop's own shortcuts, in its order.
    virtual QList<SystemHotKey> systemHotKeys() const = 0;
};

} // namespace platform
