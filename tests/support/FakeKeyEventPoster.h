// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/KeyEventPoster.h"

#include <QList>
#include <QString>

namespace testsupport {

// Records posted events; a key-down followed by its key-up reads as one chord in typed(), e.g.
// "[Cmd+V]". Creation of the source or of either event can be made to fail.
class FakeKeyEventPoster final : public platform::KeyEventPoster
{
public:
    std::unique_ptr<platform::KeyEventSource> createSource() override;
    std::optional<platform::KeyEvent> createKeyboardEvent(platform::KeyEventSource *source,
                                                          quint16 virtualKey,
                                                          bool keyDown) override;
    void post(const platform::KeyEvent &event) override { m_posted.append(event); }

    const QList<platform::KeyEvent> &posted() const { return m_posted; }
    QString typed() const;

    bool failSource = false;
    bool failKeyDown = false;
    bool failKeyUp = false;
    // The filter the last source was given: mask, suppression state; -1 until then.
    qint64 lastFilterMask = -1;
    int lastSuppressionState = -1;
    // Whether each created event was given a source.
    QList<bool> eventsWithSource;

private:
    QList<platform::KeyEvent> m_posted;
};

} // namespace testsupport
