// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeKeyEventPoster.h"

#include <QStringList>

namespace testsupport {

namespace {

class FakeKeyEventSource final : public platform::KeyEventSource
{
public:
    explicit FakeKeyEventSource(FakeKeyEventPoster &poster) : m_poster(poster) {}
    void setLocalEventsFilterDuringSuppressionState(quint32 filterMask,
                                                    int suppressionState) override
    {
        m_poster.lastFilterMask = filterMask;
        m_poster.lastSuppressionState = suppressionState;
    }

private:
    FakeKeyEventPoster &m_poster;
};

QString chordName(const platform::KeyEvent &event)
{
    QStringList parts;
    if (event.flags & platform::KeyEvent::ControlFlag)
        parts << QStringLiteral("Ctrl");
    if (event.flags & platform::KeyEvent::OptionFlag)
        parts << QStringLiteral("Alt");
    if (event.flags & platform::KeyEvent::ShiftFlag)
        parts << QStringLiteral("Shift");
    if (event.flags & platform::KeyEvent::CommandFlag)
        parts << QStringLiteral("Cmd");
    if (event.virtualKey == 9)
        parts << QStringLiteral("V");
    else if (event.virtualKey == 114)
        parts << QStringLiteral("Insert");
    else
        parts << QString::number(event.virtualKey);
    return parts.join(QLatin1Char('+'));
}

} // namespace

std::unique_ptr<platform::KeyEventSource> FakeKeyEventPoster::createSource()
{
    if (failSource)
        return nullptr;
    return std::make_unique<FakeKeyEventSource>(*this);
}

std::optional<platform::KeyEvent>
FakeKeyEventPoster::createKeyboardEvent(platform::KeyEventSource *source, quint16 virtualKey,
                                        bool keyDown)
{
    if ((keyDown && failKeyDown) || (!keyDown && failKeyUp))
        return std::nullopt;
    eventsWithSource.append(source != nullptr);
    return platform::KeyEvent{virtualKey, keyDown, 0};
}

QString FakeKeyEventPoster::typed() const
{
    QString text;
    for (qsizetype i = 0; i < m_posted.size(); ++i) {
        const platform::KeyEvent &event = m_posted[i];
        const bool pairs = event.keyDown && i + 1 < m_posted.size() && !m_posted[i + 1].keyDown &&
                           m_posted[i + 1].virtualKey == event.virtualKey &&
                           m_posted[i + 1].flags == event.flags;
        if (pairs) {
            text += QLatin1Char('[') + chordName(event) + QLatin1Char(']');
            ++i;
        } else {
            text += QLatin1Char('[') + chordName(event) +
                    (event.keyDown ? QStringLiteral(" down]") : QStringLiteral(" up]"));
        }
    }
    return text;
}

} // namespace testsupport
