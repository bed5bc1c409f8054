// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CrashReporter.h"

#include <QStringList>

namespace testsupport {

// Records every call as one readable line, e.g. "message Retry queue exhausted (warning)".
class RecordingCrashReporter final : public platform::CrashReporter
{
public:
    struct Event
    {
        QString kind; // "error" or "message"
        QString text;
        Level level = Level::Error;
        QString contextName;
        QVariantMap context;
    };

    void start(const Options &options) override;
    void setUser(const QString &userId) override { m_user = userId; }
    void captureError(const QString &description, const QString &contextName,
                      const QVariantMap &context) override;
    void captureMessage(const QString &message, Level level, const QString &contextName,
                        const QVariantMap &context) override;

    const QList<Event> &events() const { return m_events; }
    const Options &options() const { return m_options; }
    bool started() const { return m_started; }
    QString user() const { return m_user; }

private:
    QList<Event> m_events;
    Options m_options;
    bool m_started = false;
    QString m_user;
};

} // namespace testsupport
