// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingCrashReporter.h"

namespace testsupport {

void RecordingCrashReporter::start(const Options &options)
{
    m_options = options;
    m_started = true;
}

void RecordingCrashReporter::captureError(const QString &description, const QString &contextName,
                                          const QVariantMap &context)
{
    m_events.append({QStringLiteral("error"), description, Level::Error, contextName, context});
}

void RecordingCrashReporter::captureMessage(const QString &message, Level level,
                                            const QString &contextName, const QVariantMap &context)
{
    m_events.append({QStringLiteral("message"), message, level, contextName, context});
}

} // namespace testsupport
