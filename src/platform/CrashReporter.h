// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>

namespace platform {

// Crash and error reporting to a remote service.
class CrashReporter
{
public:
    enum class Level { Debug, Info, Warning, Error, Fatal };

    // Only what a reporter really acts on. No traces and no trail of steps are kept, so there is
    // no sample rate and no trail filter; events never carry personal data beyond the user id.
    struct Options
    {
        QString dsn;
        QString environment;
        // Records fatal signals and reports the records the last run left.
        bool diagnosticReports = false;
    };

    virtual ~CrashReporter() = default;

    // Starting may send at once (the last run's crash records): set the user first.
    virtual void start(const Options &options) = 0;
    // Every event captured from now on carries `userId`.
    virtual void setUser(const QString &userId) = 0;
    // An error, with a named context block (for example "transcription" → {duration_ms, ...}).
    virtual void captureError(const QString &description, const QString &contextName,
                              const QVariantMap &context) = 0;
    virtual void captureMessage(const QString &message, Level level, const QString &contextName,
                                const QVariantMap &context) = 0;
};

} // namespace platform
