// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventStream.h"

#include "GlobalShortcuts/HotKeyHandlers.h"

namespace GlobalShortcuts {

EventStream::EventStream(PassKey, HotKeyHandlers *owner, Name name, std::optional<EventType> filter)
    : m_owner(owner), m_name(std::move(name)), m_filter(filter)
{}

EventStream::~EventStream()
{
    if (m_owner)
        m_owner->streamEnded(m_name, m_id);
}

void EventStream::yield(EventType type)
{
    if (!m_filter || *m_filter == type)
        emit received(type);
}

} // namespace GlobalShortcuts
