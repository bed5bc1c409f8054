// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoggingCrashReporter.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCrashReporter, "parlovox.crashreporter", QtWarningMsg)

namespace platform::linux_impl {

void LoggingCrashReporter::start(const Options &options)
{
    qCDebug(lcCrashReporter) << "[CrashReporter] started without a DSN, environment"
                             << options.environment;
}

void LoggingCrashReporter::setUser(const QString &userId)
{
    qCDebug(lcCrashReporter) << "[CrashReporter] user" << userId;
}

void LoggingCrashReporter::captureError(const QString &description, const QString &contextName,
                                        const QVariantMap &context)
{
    qCDebug(lcCrashReporter) << "[CrashReporter] error" << description << contextName << context;
}

void LoggingCrashReporter::captureMessage(const QString &message, Level level,
                                          const QString &contextName, const QVariantMap &context)
{
    qCDebug(lcCrashReporter) << "[CrashReporter] message" << message << static_cast<int>(level)
                             << contextName << context;
}

} // namespace platform::linux_impl
