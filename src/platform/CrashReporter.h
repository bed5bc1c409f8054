// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

namespace platform {

// Crash and error reporting to a remote service.
class CrashReporter
{
public:
    enum class Level { Debug, Info, Warning, Error, Fatal };

    struct Breadcrumb
    {
        QString category;
        QString message;
    };

    struct Options
    {
        QString dsn;
        QString environment;
        double tracesSampleRate = 0.0;
        bool sendDefaultPii = false;
        bool diagnosticReports = false;
        bool automaticPerformance = false;
        // Return false to drop a breadcrumb before it is recorded.
        std::function<bool(const Breadcrumb &)> beforeBreadcrumb;
    };

    virtual ~CrashReporter() = default;

    virtual void start(const Options &options) = 0;
    virtual void setUser(const QString &userId) = 0;
    // An error, with a named context block (for example "transcription" → {duration_ms, ...}).
    virtual void captureError(const QString &description, const QString &contextName,
                              const QVariantMap &context) = 0;
    virtual void captureMessage(const QString &message, Level level, const QString &contextName,
                                const QVariantMap &context) = 0;
    // Notes a step on the trail that later events carry, unless the options' filter drops it.
    // Reporters that keep no trail ignore it.
    virtual void addBreadcrumb(const Breadcrumb &breadcrumb) { Q_UNUSED(breadcrumb); }
};

} // namespace platform
