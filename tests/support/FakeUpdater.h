// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Updater.h"

#include <QStringList>

namespace testsupport {

// An update framework whose results the test delivers: `finishCheck(true, …)` reports a found
// update, `finishCheck(false)` none. Calls are recorded in `calls` ("start", "check",
// "interval 3600", "automatic on").
class FakeUpdater final : public platform::Updater
{
public:
    void start() override { calls.append(QStringLiteral("start")); }
    bool hasUpdateFeed() const override { return feed; }
    bool canCheckForUpdates() const override { return m_canCheck; }
    void checkForUpdates() override { calls.append(QStringLiteral("check")); }
    bool automaticallyChecksForUpdates() const override { return m_automatic; }
    void setAutomaticallyChecksForUpdates(bool enabled) override
    {
        m_automatic = enabled;
        calls.append(enabled ? QStringLiteral("automatic on") : QStringLiteral("automatic off"));
    }
    void setUpdateCheckInterval(double seconds) override
    {
        calls.append(QStringLiteral("interval ") + QString::number(seconds));
    }

    void setCanCheck(bool canCheck)
    {
        if (m_canCheck == canCheck)
            return;
        m_canCheck = canCheck;
        emit canCheckForUpdatesChanged();
    }
    void finishCheck(bool found, const QString &version = QStringLiteral("9.9"))
    {
        if (found)
            emit didFindValidUpdate(version, QUrl(QStringLiteral("https://example.org/notes")));
        else
            emit didNotFindUpdate();
    }

    QStringList calls;
    bool feed = true;

private:
    bool m_canCheck = true;
    bool m_automatic = true;
};

} // namespace testsupport
