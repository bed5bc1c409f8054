// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ModifierFlags.h"

#include <QtGlobal>

#include <memory>
#include <optional>

namespace platform {

// One synthetic key transition, in the design's numbering: a Carbon virtual key code (US-ANSI
// position) and Cocoa modifier flags. Setting `flags` replaces the whole flag word.
struct KeyEvent
{
    static constexpr quint64 CommandFlag = CocoaFlag::command;
    static constexpr quint64 ShiftFlag = CocoaFlag::shift;
    static constexpr quint64 ControlFlag = CocoaFlag::control;
    static constexpr quint64 OptionFlag = CocoaFlag::option;

    quint16 virtualKey = 0;
    bool keyDown = false;
    quint64 flags = 0;

    friend bool operator==(const KeyEvent &, const KeyEvent &) = default;
};

// A source of synthetic events in the combined session state.
class KeyEventSource
{
public:
    // Event classes still let through from the user's own devices while the suppression
    // interval after a posted event lasts; keyboard events are never listed, so the user's
    // typing cannot mix into the chord.
    static constexpr quint32 PermitLocalMouseEvents = 1;
    static constexpr quint32 PermitSystemDefinedEvents = 4;
    static constexpr int SuppressionInterval = 0;

    virtual ~KeyEventSource() = default;
    virtual void setLocalEventsFilterDuringSuppressionState(quint32 filterMask,
                                                            int suppressionState) = 0;
};

// Synthetic keyboard events posted to the desktop session.
class KeyEventPoster
{
public:
    virtual ~KeyEventPoster() = default;

    // A new event source, or null when none can be had (events can still be made without one).
    virtual std::unique_ptr<KeyEventSource> createSource() = 0;
    // A key-down or key-up event for `virtualKey` with no modifier flags; empty when the event
    // cannot be made (for example no display to post to). `source` may be null.
    virtual std::optional<KeyEvent> createKeyboardEvent(KeyEventSource *source, quint16 virtualKey,
                                                        bool keyDown) = 0;
    // Posts the event to the session. Reports nothing: a posted event may still be dropped.
    // The modifiers in `flags` are pressed around the key and nothing else the user holds
    // takes part; posting the matching key-up puts the user's held modifiers back.
    virtual void post(const KeyEvent &event) = 0;
};

} // namespace platform
