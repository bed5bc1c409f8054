// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LoginItem.h"

#include <QStringList>

namespace testsupport {

// A login item whose status and failures the test sets; calls are recorded as "register" and
// "unregister".
class FakeLoginItem final : public platform::LoginItem
{
public:
    bool isEnabled() const override { return enabled; }
    Failure registerMainApp() override { return answer(QStringLiteral("register"), true); }
    Failure unregisterMainApp() override { return answer(QStringLiteral("unregister"), false); }

    bool enabled = false;
    // Failures handed out by the next calls, in order; an empty entry (or none left) succeeds.
    QList<Failure> failures;
    QStringList calls;

private:
    Failure answer(const QString &call, bool enable)
    {
        calls.append(call);
        Failure failure = failures.isEmpty() ? Failure{} : failures.takeFirst();
        if (!failure)
            enabled = enable;
        return failure;
    }
};

} // namespace testsupport
