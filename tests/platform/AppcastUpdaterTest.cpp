// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/AppcastUpdater.h"

#include "engine/UpdaterManager.h"
#include "support/EventLoop.h"
#include "support/FakeWorkspace.h"
#include "support/LogCapture.h"
#include "support/MemoryUserDefaults.h"
#include "support/TestHttpServer.h"
#include "support/VirtualScheduler.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using platform::linux_impl::AppcastUpdater;
using testsupport::HttpReply;

namespace {

// Records what the dialog would show; `download` is the found dialog's button.
class RecordingDialog final : public platform::linux_impl::UpdateDialog
{
public:
    void showUpdateFound(const QString &newVersion, const QString &installedVersion,
                         std::function<void()> downloadAction) override
    {
        shown << QStringLiteral("found %1 over %2").arg(newVersion, installedVersion);
        download = std::move(downloadAction);
    }
    void showUpToDate(const QString &installedVersion) override
    {
        shown << QStringLiteral("up to date %1").arg(installedVersion);
    }
    void showFailure(const QString &error) override { shown << QStringLiteral("failure ") + error; }

    QStringList shown;
    std::function<void()> download;
};

// Answers every request with a feed that never ends, `chunk` more bytes every few milliseconds.
class EndlessFeedServer final : public QObject
{
public:
    explicit EndlessFeedServer(QByteArray chunk) : m_chunk(std::move(chunk))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\n\r\n"
                          "<rss><channel>");
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [this, socket] { socket->write(m_chunk); });
            timer->start(5);
        });
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(m_server.serverPort()));
    }

private:
    QTcpServer m_server;
    QByteArray m_chunk;
};

QByteArray item(const QString &version, const QString &shortVersion, const QString &link)
{
    return QStringLiteral("<item><title>Parlovox %2</title>"
                          "<sparkle:version>%1</sparkle:version>"
                          "<sparkle:shortVersionString>%2</sparkle:shortVersionString>"
                          "<link>%3</link></item>")
        .arg(version, shortVersion, link)
        .toUtf8();
}

QByteArray feed(const QByteArray &items)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<title>Parlovox</title>" +
           items + "</channel></rss>";
}

class AppcastUpdaterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    QUrl feedUrl() const { return QUrl(server.url() + QStringLiteral("/appcast.xml")); }
    void create(const QUrl &url, AppcastUpdater::Limits limits = {})
    {
        auto recording = std::make_unique<RecordingDialog>();
        dialog = recording.get();
        updater = std::make_unique<AppcastUpdater>(
            url, AppcastUpdater::Installed{QStringLiteral("10"), QStringLiteral("1.0")}, defaults,
            scheduler, workspace, std::move(recording), limits);
    }
    void serve(const QByteArray &document)
    {
        server.enqueue(HttpReply::text(200, document), "/appcast.xml");
    }
    bool waitForCheck()
    {
        return testsupport::waitUntil([this] { return !updater->isChecking(); }, 10000);
    }

    testsupport::TestHttpServer server;
    testsupport::VirtualScheduler scheduler;
    testsupport::MemoryUserDefaults defaults;
    testsupport::FakeWorkspace workspace;
    testsupport::LogCapture log{QStringLiteral("parlovox.updater")};
    RecordingDialog *dialog = nullptr;
    std::unique_ptr<AppcastUpdater> updater;
};

TEST_F(AppcastUpdaterTest, ANewerBuildIsOfferedAndTheSameOrOlderIsNot)
{
    create(feedUrl());
    UpdaterManager manager(*updater);
    EXPECT_TRUE(manager.canCheckForUpdates());
    QSignalSpy canCheck(&manager, &UpdaterManager::canCheckForUpdatesChanged);

    // Number by number: build 12 is newer than 10 and 9, though "9" sorts after "12" as text. A
    // link a browser should not open disqualifies even the highest build.
    serve(feed(
        item(QStringLiteral("99"), QStringLiteral("9.9"), QStringLiteral("file:///etc")) +
        item(QStringLiteral("9"), QStringLiteral("0.9"), QStringLiteral("https://e.org/9")) +
        item(QStringLiteral("12"), QStringLiteral("1.2"), QStringLiteral("https://e.org/12")) +
        item(QStringLiteral("11"), QStringLiteral("1.1"), QStringLiteral("https://e.org/11"))));
    manager.checkForUpdates();
    EXPECT_FALSE(manager.canCheckForUpdates());
    manager.checkForUpdates(); // refused while one runs
    ASSERT_TRUE(waitForCheck());
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_TRUE(manager.canCheckForUpdates());
    EXPECT_EQ(canCheck.count(), 2);
    EXPECT_TRUE(testsupport::waitUntil([&] { return manager.updateAvailable(); }));
    EXPECT_EQ(dialog->shown, QStringList{QStringLiteral("found 1.2 over 1.0")});
    ASSERT_TRUE(dialog->download);
    dialog->download();
    EXPECT_EQ(workspace.requests, QStringList{QStringLiteral("open https://e.org/12")});

    for (const QString &version :
         {QStringLiteral("10"), QStringLiteral("10.0"), QStringLiteral("9.99")}) {
        serve(feed(item(version, QStringLiteral("1.0"), QStringLiteral("https://e.org/x"))));
        manager.checkForUpdates();
        ASSERT_TRUE(waitForCheck());
        EXPECT_TRUE(testsupport::waitUntil([&] { return !manager.updateAvailable(); }));
        EXPECT_EQ(dialog->shown.last(), QStringLiteral("up to date 1.0")) << version.toStdString();
    }

    // A version that goes on where the installed one ends is newer: 10.1 over build 10, and
    // 1.0.1 over a build numbered 1.0.
    for (const auto &[installed, offered] :
         {std::pair{QStringLiteral("10"), QStringLiteral("10.1")},
          std::pair{QStringLiteral("1.0"), QStringLiteral("1.0.1")}}) {
        auto recording = std::make_unique<RecordingDialog>();
        const RecordingDialog &shown = *recording;
        AppcastUpdater other(feedUrl(), AppcastUpdater::Installed{installed, QStringLiteral("1.0")},
                             defaults, scheduler, workspace, std::move(recording), {});
        UpdaterManager otherManager(other);
        serve(feed(item(offered, QStringLiteral("1.0.1"), QStringLiteral("https://e.org/n"))));
        otherManager.checkForUpdates();
        EXPECT_TRUE(testsupport::waitUntil([&] { return otherManager.updateAvailable(); }))
            << offered.toStdString();
        EXPECT_EQ(shown.shown, QStringList{QStringLiteral("found 1.0.1 over 1.0")});
    }
}

TEST_F(AppcastUpdaterTest, AFeedThatCannotBeReadChangesNothingAndSaysWhy)
{
    create(feedUrl());
    UpdaterManager manager(*updater);
    serve(feed(
        item(QStringLiteral("12"), QStringLiteral("1.2"), QStringLiteral("https://e.org/12"))));
    manager.checkForUpdates();
    ASSERT_TRUE(testsupport::waitUntil([&] { return manager.updateAvailable(); }));

    // Not a feed, cut off, a server error, nobody listening.
    serve("<html>busy</html>");
    serve(feed(item(QStringLiteral("13"), QStringLiteral("1.3"), QStringLiteral("x"))).left(150));
    server.enqueue(HttpReply::text(500, "oops"), "/appcast.xml");
    for (int i = 0; i < 3; ++i) {
        manager.checkForUpdates();
        ASSERT_TRUE(waitForCheck());
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(manager.updateAvailable());
    ASSERT_EQ(dialog->shown.size(), 4);
    EXPECT_TRUE(dialog->shown[1].startsWith(QStringLiteral("failure The update feed is not")));
    EXPECT_TRUE(dialog->shown[2].startsWith(QStringLiteral("failure The update feed is not")));
    EXPECT_EQ(dialog->shown[3], QStringLiteral("failure The update server answered 500."));
    EXPECT_EQ(log.lines(QStringLiteral("critical")).size(), 3);

    updater.reset();
    create(QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml")
                    .arg(testsupport::TestHttpServer::unusedPort())));
    updater->start();
    updater->checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    ASSERT_EQ(dialog->shown.size(), 1);
    EXPECT_TRUE(dialog->shown[0].startsWith(QStringLiteral("failure ")));
}

TEST_F(AppcastUpdaterTest, HugeEndlessAndLongFeedsEndInBoundedTime)
{
    create(feedUrl(), {/*maxFeedBytes*/ 4 * 1024 * 1024, /*timeoutMs*/ 3000});
    updater->start();
    QElapsedTimer clock;
    clock.start();

    serve(feed(QByteArray(50 * 1024 * 1024, ' ')));
    updater->checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    EXPECT_TRUE(dialog->shown.last().contains(QStringLiteral("larger than")));

    QByteArray many;
    for (int i = 1; i <= 10000; ++i)
        many += item(QString::number(i), QStringLiteral("2.%1").arg(i),
                     QStringLiteral("https://e.org/%1").arg(i));
    serve(feed(many));
    updater->checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    EXPECT_EQ(dialog->shown.last(), QStringLiteral("found 2.10000 over 1.0"));

    EndlessFeedServer flood(QByteArray(64 * 1024, ' '));
    updater.reset();
    create(flood.url(), {1024 * 1024, 3000});
    updater->start();
    updater->checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    EXPECT_TRUE(dialog->shown.last().contains(QStringLiteral("larger than")));

    EndlessFeedServer trickle(QByteArray("<!-- -->"));
    updater.reset();
    create(trickle.url(), {1024 * 1024, 500});
    updater->start();
    updater->checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    EXPECT_TRUE(dialog->shown.last().contains(QStringLiteral("took too long")));
    EXPECT_LT(clock.elapsed(), 20000);
}

TEST_F(AppcastUpdaterTest, ChecksRunEveryIntervalWhileEnabledAndNeverWithoutAFeed)
{
    create(feedUrl());
    UpdaterManager manager(*updater); // starts it with the hour interval
    server.setDefaultReply(HttpReply::text(200, feed({})));
    scheduler.advance(3599);
    EXPECT_EQ(server.requestCount(), 0);
    scheduler.advance(1);
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
    ASSERT_TRUE(waitForCheck());
    EXPECT_TRUE(dialog->shown.isEmpty()); // automatic checks find quietly

    manager.setAutomaticallyChecksForUpdates(false);
    EXPECT_EQ(defaults.boolean(QStringLiteral("SUEnableAutomaticChecks")), false);
    scheduler.advance(7200);
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requestCount(), 1);

    updater.reset();
    create(QUrl());
    UpdaterManager without(*updater);
    EXPECT_FALSE(without.canCheckForUpdates());
    without.checkForUpdates();
    EXPECT_FALSE(updater->isChecking());
    EXPECT_TRUE(dialog->shown.isEmpty());
}

} // namespace

namespace {

// Short sessions still check: the time of the last check outlives the program, with the settings.
TEST_F(AppcastUpdaterTest, ALaunchChecksOnceTheLastCheckIsAnIntervalOldAndNotBefore)
{
    const QString lastCheckKey = QStringLiteral("SULastCheckTime");
    const auto secondsNow = [this] {
        return static_cast<double>(scheduler.now().toMSecsSinceEpoch()) / 1000.0;
    };
    server.setDefaultReply(HttpReply::text(200, feed({})));
    defaults.setNumber(lastCheckKey, secondsNow() - 2 * 3600);
    create(feedUrl());
    auto manager = std::make_unique<UpdaterManager>(*updater);
    scheduler.runDue();
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 1; }));
    ASSERT_TRUE(waitForCheck());
    EXPECT_EQ(defaults.number(lastCheckKey), secondsNow());
    EXPECT_TRUE(dialog->shown.isEmpty());

    // Quit, and launch again ten minutes later: the next check is fifty minutes away.
    manager.reset();
    updater.reset();
    scheduler.advance(600);
    create(feedUrl());
    manager = std::make_unique<UpdaterManager>(*updater);
    scheduler.advance(2999);
    EXPECT_FALSE(updater->isChecking());
    ASSERT_TRUE(waitForCheck());
    EXPECT_EQ(server.requestCount(), 1);
    scheduler.advance(1);
    EXPECT_TRUE(updater->isChecking());
    ASSERT_TRUE(testsupport::waitUntil([this] { return server.requestCount() == 2; }));
    ASSERT_TRUE(waitForCheck());
}

TEST_F(AppcastUpdaterTest, ANewerBuildThatCannotBeOfferedIsAnErrorNeverUpToDate)
{
    create(feedUrl());
    UpdaterManager manager(*updater);
    serve(feed(
        item(QStringLiteral("12"), QStringLiteral("1.2"), QStringLiteral("file:///tmp/p.deb")) +
        item(QStringLiteral("13"), QStringLiteral("1.3"), QStringLiteral("javascript:alert(1)")) +
        item(QStringLiteral("9"), QStringLiteral("0.9"), QStringLiteral("https://e.org/9"))));
    manager.checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->shown, QStringList{QStringLiteral(
                                 "failure Parlovox 1.3 is in the update feed, but without a web "
                                 "page to download it from.")});
    EXPECT_FALSE(manager.updateAvailable());
    EXPECT_EQ(log.lines(QStringLiteral("critical")).size(), 1);

    // The parser's own sentence sits inside the brackets without its full stop.
    QByteArray mismatched =
        feed(item(QStringLiteral("12"), QStringLiteral("1.2"), QStringLiteral("https://e.org/12")));
    mismatched.replace("</channel>", "</chanel>");
    serve(mismatched);
    manager.checkForUpdates();
    ASSERT_TRUE(waitForCheck());
    EXPECT_EQ(dialog->shown.last(),
              QStringLiteral(
                  "failure The update feed is not readable (Opening and ending tag mismatch)."));
}

} // namespace
