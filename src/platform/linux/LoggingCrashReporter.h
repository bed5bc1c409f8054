// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CrashReporter.h"

namespace platform::linux_impl {

// Used when the build has no reporting DSN: events are written to the debug log and go nowhere.
class LoggingCrashReporter final : public CrashReporter
{
public:
    void start(const Options &options) override;
    void setUser(const QString &userId) override;
    void captureError(const QString &description, const QString &contextName,
                      const QVariantMap &context) override;
    void captureMessage(const QString &message, Level level, const QString &contextName,
                        const QVariantMap &context) override;
};

} // namespace platform::linux_impl
