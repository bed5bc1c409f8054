// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateDialog.h"
#include "platform/Updater.h"

#include <QCoroTask>
#include <QPointer>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {
class Scheduler;
class TimerHandle;
class UserDefaults;
class Workspace;
} // namespace platform

namespace platform::linux_impl {

// Looks for a newer build in an appcast feed: on its own once the last check (kept with the
// settings) is an interval old, at launch too, while automatic checks are on (a user default),
// and when the user asks, then with a dialog telling the outcome.
// Without a feed URL no check can start. The download is bounded in size and time, so a huge,
// endless or stalled feed ends as a failed check.
class AppcastUpdater final : public Updater
{
    Q_OBJECT

public:
    struct Limits
    {
        qint64 maxFeedBytes = 4 * 1024 * 1024;
        int timeoutMs = 30000;
    };
    struct Installed
    {
        QString version;        // the build, compared with the feed's sparkle:version
        QString displayVersion; // what the dialogs name
    };

    AppcastUpdater(QUrl feedUrl, Installed installed, UserDefaults &defaults, Scheduler &scheduler,
                   Workspace &workspace, std::unique_ptr<UpdateDialog> dialog, Limits limits,
                   QObject *parent = nullptr);
    ~AppcastUpdater() override;

    void start() override;
    bool hasUpdateFeed() const override;
    bool canCheckForUpdates() const override;
    void checkForUpdates() override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool enabled) override;
    void setUpdateCheckInterval(double seconds) override;

    bool isChecking() const { return m_checking; }

private:
    QCoro::Task<> check(bool userInitiated);
    // The feed's bytes, or the reason there are none.
    QCoro::Task<std::pair<QByteArray, QString>> download();
    bool isNewer(const QString &version) const;
    void finishWithFailure(const QString &error, bool userInitiated);
    void setChecking(bool checking);
    void scheduleAutomaticChecks();
    void runAutomaticCheck();
    // Until the next automatic check is due, counted from the last check of any kind.
    double secondsUntilDue();
    void rememberCheckTime();

    QUrl m_feedUrl;
    Installed m_installed;
    UserDefaults &m_defaults;
    Scheduler &m_scheduler;
    Workspace &m_workspace;
    std::unique_ptr<UpdateDialog> m_dialog;
    Limits m_limits;
    QNetworkAccessManager *m_network = nullptr; // child
    std::unique_ptr<TimerHandle> m_dueCheck;
    std::unique_ptr<TimerHandle> m_automaticTimer;
    QPointer<QNetworkReply> m_inFlight;
    double m_interval = 86400.0;
    bool m_started = false;
    bool m_checking = false;
    bool m_closing = false;
};

} // namespace platform::linux_impl
