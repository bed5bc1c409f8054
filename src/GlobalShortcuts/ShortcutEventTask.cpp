// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutEventTask.h"

#include "GlobalShortcuts/HotKeyHandlers.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace GlobalShortcuts {

ShortcutEventTask::ShortcutEventTask(QWidget &view, Name name, std::optional<EventType> type,
                                     std::function<void(EventType)> perform)
    : QObject(&view), m_name(std::move(name)), m_type(type), m_perform(std::move(perform))
{
    view.installEventFilter(this);
    if (view.isVisible())
        start();
}

ShortcutEventTask::~ShortcutEventTask() = default;

bool ShortcutEventTask::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        start();
    } else if (event->type() == QEvent::Hide) {
        // A minimised window sends Hide too but stays visible; its shortcut keeps working.
        if (!static_cast<QWidget *>(watched)->isVisible())
            cancel();
    }
    return QObject::eventFilter(watched, event);
}

void ShortcutEventTask::start()
{
    if (m_stream)
        return;
    m_stream = m_type ? events(*m_type, m_name) : events(m_name);
    if (!m_stream)
        return;
    connect(m_stream.get(), &EventStream::received, this, [this](EventType type) {
        const QPointer<ShortcutEventTask> self(this);
        m_delivering = true;
        m_perform(type);
        if (self) // `perform` may close the widget for good
            m_delivering = false;
    });
}

void ShortcutEventTask::cancel()
{
    if (!m_stream)
        return;
    // `perform` may hide the widget while the stream is delivering to it: then the stream goes
    // quiet at once and is destroyed (ending its hot key) once that delivery is over.
    if (m_delivering) {
        m_stream->disconnect(this);
        m_stream.release()->deleteLater();
    } else {
        m_stream.reset();
    }
}

} // namespace GlobalShortcuts
