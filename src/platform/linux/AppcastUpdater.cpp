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
// Seconds since the epoch.
const QString kLastCheckTimeKey = QStringLiteral("SULastCheckTime");

double secondsSinceEpoch(const QDateTime &time)
{
    return static_cast<double>(time.toMSecsSinceEpoch()) / 1000.0;
}

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
    if (!hasUpdateFeed())
        qCInfo(lcUpdater, "[Updater] No update feed in this build: update checks are off");
    scheduleAutomaticChecks();
    if (canCheckForUpdates() != could)
        emit canCheckForUpdatesChanged();
}

bool AppcastUpdater::hasUpdateFeed() const
{
    return m_feedUrl.isValid() && !m_feedUrl.isEmpty();
}

bool AppcastUpdater::canCheckForUpdates() const
{
    return m_started && hasUpdateFeed() && !m_checking;
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
    m_dueCheck.reset();
    m_automaticTimer.reset();
    if (!m_started || !hasUpdateFeed() || !automaticallyChecksForUpdates())
        return;
    // Never a check right here: the interval is usually set just after starting, and a session
    // shorter than the interval must still check once the last check is old enough.
    const QPointer<AppcastUpdater> self(this);
    m_dueCheck = m_scheduler.singleShot(secondsUntilDue(), [self] {
        if (self)
            self->runAutomaticCheck();
    });
}

void AppcastUpdater::runAutomaticCheck()
{
    const QPointer<AppcastUpdater> self(this);
    m_automaticTimer = m_scheduler.repeating(m_interval, [self] {
        if (self && self->canCheckForUpdates())
            self->check(false);
    });
    if (canCheckForUpdates())
        check(false);
}

double AppcastUpdater::secondsUntilDue()
{
    const std::optional<double> last = m_defaults.number(kLastCheckTimeKey);
    if (!last) {
        // The first start begins the count rather than going online at once.
        rememberCheckTime();
        return m_interval;
    }
    const double since = secondsSinceEpoch(m_scheduler.now()) - *last;
    // A last check in the future means the clock was wrong then or is now: check.
    if (since < 0)
        return 0;
    return std::max(0.0, m_interval - since);
}

void AppcastUpdater::rememberCheckTime()
{
    m_defaults.setNumber(kLastCheckTimeKey, secondsSinceEpoch(m_scheduler.now()));
}

QCoro::Task<> AppcastUpdater::check(bool userInitiated)
{
    const QPointer<AppcastUpdater> self(this);
    setChecking(true);
    const auto [document, failure] = co_await download();
    if (!self || m_closing)
        co_return;
    setChecking(false);
    rememberCheckTime();
    if (!failure.isEmpty()) {
        finishWithFailure(failure, userInitiated);
        co_return;
    }
    const AppcastFeed::Result feed = AppcastFeed::newestItem(document);
    if (!feed.error.isEmpty()) {
        QString reason = feed.error;
        while (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        finishWithFailure(QStringLiteral("The update feed is not readable (%1).").arg(reason),
                          userInitiated);
        co_return;
    }
    const bool offerable = feed.newest && isNewer(feed.newest->version);
    // A newer build the feed names but gives no page for is not "up to date".
    if (const auto &unusable = feed.newestWithoutLink;
        !offerable && unusable && isNewer(unusable->version)) {
        finishWithFailure(QStringLiteral("Parlovox %1 is in the update feed, but without a web "
                                         "page to download it from.")
                              .arg(unusable->shortVersion),
                          userInitiated);
        co_return;
    }
    if (offerable) {
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

bool AppcastUpdater::isNewer(const QString &version) const
{
    return AppcastFeed::compareVersions(version, m_installed.version) > 0;
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
