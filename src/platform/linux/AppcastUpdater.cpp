// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppcastUpdater.h"

#include "AppcastFeed.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QCoroNetworkReply>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

Q_LOGGING_CATEGORY(lcUpdater, "parlovox.updater", QtInfoMsg)

namespace platform::linux_impl {

namespace {

const QString kAutomaticChecksKey = QStringLiteral("SUEnableAutomaticChecks");

} // namespace

AppcastUpdater::AppcastUpdater(QUrl feedUrl, Installed installed, UserDefaults &defaults,
                               Scheduler &scheduler, Workspace &workspace,
                               std::unique_ptr<UpdateDialog> dialog, Limits limits, QObject *parent)
    : Updater(parent), m_feedUrl(std::move(feedUrl)), m_installed(std::move(installed)),
      m_defaults(defaults), m_scheduler(scheduler), m_workspace(workspace),
      m_dialog(std::move(dialog)), m_limits(limits), m_network(new QNetworkAccessManager(this))
{}

AppcastUpdater::~AppcastUpdater()
{
    // The check wakes up from the abort, sees the flag and ends without touching anything.
    m_closing = true;
    if (m_inFlight)
        m_inFlight->abort();
}

void AppcastUpdater::start()
{
    if (m_started)
        return;
    const bool could = canCheckForUpdates();
    m_started = true;
    if (!m_feedUrl.isValid() || m_feedUrl.isEmpty())
        qCInfo(lcUpdater, "[Updater] No update feed in this build: update checks are off");
    scheduleAutomaticChecks();
    if (canCheckForUpdates() != could)
        emit canCheckForUpdatesChanged();
}

bool AppcastUpdater::canCheckForUpdates() const
{
    return m_started && m_feedUrl.isValid() && !m_feedUrl.isEmpty() && !m_checking;
}

void AppcastUpdater::checkForUpdates()
{
    if (canCheckForUpdates())
        check(true);
}

bool AppcastUpdater::automaticallyChecksForUpdates() const
{
    return m_defaults.boolean(kAutomaticChecksKey).value_or(true);
}

void AppcastUpdater::setAutomaticallyChecksForUpdates(bool enabled)
{
    m_defaults.setBool(kAutomaticChecksKey, enabled);
    scheduleAutomaticChecks();
}

void AppcastUpdater::setUpdateCheckInterval(double seconds)
{
    if (seconds <= 0)
        return;
    m_interval = seconds;
    scheduleAutomaticChecks();
}

void AppcastUpdater::scheduleAutomaticChecks()
{
    m_automaticTimer.reset();
    if (!m_started || m_feedUrl.isEmpty() || !automaticallyChecksForUpdates())
        return;
    const QPointer<AppcastUpdater> self(this);
    m_automaticTimer = m_scheduler.repeating(m_interval, [self] {
        if (self && self->canCheckForUpdates())
            self->check(false);
    });
}

QCoro::Task<> AppcastUpdater::check(bool userInitiated)
{
    const QPointer<AppcastUpdater> self(this);
    setChecking(true);
    const auto [document, failure] = co_await download();
    if (!self || m_closing)
        co_return;
    setChecking(false);
    if (!failure.isEmpty()) {
        finishWithFailure(failure, userInitiated);
        co_return;
    }
    const AppcastFeed::Result feed = AppcastFeed::newestItem(document);
    if (!feed.error.isEmpty()) {
        finishWithFailure(QStringLiteral("The update feed is not readable (%1).").arg(feed.error),
                          userInitiated);
        co_return;
    }
    if (feed.newest &&
        AppcastFeed::compareVersions(feed.newest->version, m_installed.version) > 0) {
        const AppcastFeed::Item item = *feed.newest;
        qCInfo(lcUpdater, "[Updater] Version %s is available", qUtf8Printable(item.shortVersion));
        emit didFindValidUpdate(item.shortVersion, item.link);
        if (userInitiated && m_dialog) {
            m_dialog->showUpdateFound(item.shortVersion, m_installed.displayVersion,
                                      [self, link = item.link] {
                                          if (self)
                                              self->m_workspace.openUrl(link);
                                      });
        }
        co_return;
    }
    emit didNotFindUpdate();
    if (userInitiated && m_dialog)
        m_dialog->showUpToDate(m_installed.displayVersion);
}

QCoro::Task<std::pair<QByteArray, QString>> AppcastUpdater::download()
{
    const QPointer<AppcastUpdater> self(this);
    QNetworkRequest request(m_feedUrl);
    request.setTransferTimeout(m_limits.timeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_inFlight = reply;

    // A stalled feed is caught by the transfer timeout; one that trickles forever or never stops
    // growing is cut here.
    auto cutReason = std::make_shared<QString>();
    const qint64 maxBytes = m_limits.maxFeedBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, cutReason, maxBytes](qint64 received, qint64 total) {
                if ((received > maxBytes || total > maxBytes) && cutReason->isEmpty()) {
                    *cutReason =
                        QStringLiteral("The update feed is larger than %1 bytes.").arg(maxBytes);
                    reply->abort();
                }
            });
    QTimer::singleShot(m_limits.timeoutMs, reply, [reply, cutReason] {
        if (cutReason->isEmpty())
            *cutReason = QStringLiteral("The update feed took too long to load.");
        reply->abort();
    });

    co_await reply;
    if (!self || m_closing)
        co_return {};
    m_inFlight = nullptr;
    reply->deleteLater();
    if (!cutReason->isEmpty())
        co_return {QByteArray(), *cutReason};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() / 100 != 2)
        co_return {QByteArray(),
                   QStringLiteral("The update server answered %1.").arg(status.toInt())};
    if (reply->error() != QNetworkReply::NoError)
        co_return {QByteArray(), reply->errorString()};
    co_return {reply->read(maxBytes + 1), QString()};
}

void AppcastUpdater::finishWithFailure(const QString &error, bool userInitiated)
{
    qCCritical(lcUpdater, "[Updater] Update check failed: %s", qUtf8Printable(error));
    if (userInitiated && m_dialog)
        m_dialog->showFailure(error);
}

void AppcastUpdater::setChecking(bool checking)
{
    if (m_checking == checking)
        return;
    const bool could = canCheckForUpdates();
    m_checking = checking;
    if (canCheckForUpdates() != could)
        emit canCheckForUpdatesChanged();
}

} // namespace platform::linux_impl
