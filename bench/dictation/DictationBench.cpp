// SPDX-License-Identifier: GPL-3.0-or-later
// How fast a dictation lands: the real program, started with a fresh home on an X display, holds
// its recorded shortcut (Control-Option-K, through XTEST) for 0.4 s per dictation; a loopback
// speech server answers at once with a transcript of its own for each; a Qt text field in
// another process has the focus and reports what it shows. Times are taken on this process's
// monotonic clock: the release (once the X server has it), the request's arrival in full at the
// server, the reply, and the line in which the field reports the transcript. After one warm-up,
// the medians over the dictations are printed; the last line is
// "release → text in the field: X ms" (target for reply → text in the field: at most 15 ms).
// Run: scripts/with-test-env.sh build-dir/bench/dictation_bench [dictations]
#include "XTestClient.h"
#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using testsupport::HttpReply;
using namespace x11test;

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the event loop until `done` holds; false after `timeoutMs`.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void pause(int ms)
{
    waitUntil([] { return false; }, ms);
}

// A program whose output lines are kept, each with the moment it was read.
class Child
{
public:
    explicit Child(QProcess::ProcessChannelMode channels)
    {
        m_process.setProcessChannelMode(channels);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine())
                m_lines.push_back({m_process.readLine().trimmed(), nowMs()});
        });
    }
    ~Child()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    bool start(const QString &program, const QProcessEnvironment &environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(program, {});
        return m_process.waitForStarted();
    }
    // The moment a line containing `text` was read after line `from`; waits up to `timeoutMs`.
    std::optional<double> waitForLine(const QByteArray &text, qsizetype from = 0,
                                      int timeoutMs = 10000, bool exact = false)
    {
        std::optional<double> at;
        waitUntil(
            [&] {
                for (qsizetype i = from; i < qsizetype(m_lines.size()); ++i)
                    if (exact ? m_lines[i].first == text : m_lines[i].first.contains(text)) {
                        at = m_lines[i].second;
                        return true;
                    }
                return m_process.state() == QProcess::NotRunning;
            },
            timeoutMs);
        return at;
    }
    QByteArray lineContaining(const QByteArray &text) const
    {
        for (const auto &line : m_lines)
            if (line.first.contains(text))
                return line.first;
        return {};
    }
    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    // Whether the last of the lines that are `yes` or `no` is `yes`.
    bool lastIs(const QByteArray &yes, const QByteArray &no) const
    {
        for (auto line = m_lines.crbegin(); line != m_lines.crend(); ++line)
            if (line->first == yes || line->first == no)
                return line->first == yes;
        return false;
    }
    void write(const QByteArray &line) { m_process.write(line + '\n'); }

private:
    QProcess m_process;
    std::vector<std::pair<QByteArray, double>> m_lines;
};

bool writeSettings(const QString &home, const QString &serverUrl)
{
    const QJsonObject settings{
        {QStringLiteral("serverURL"), serverUrl},
        {QStringLiteral("onboardingComplete"), true},
        {QStringLiteral("hasLaunchedBefore"), true},
        {QStringLiteral("useFnKey"), false},
        {QStringLiteral("minimumRecordingDuration"), 0.1},
        {QStringLiteral("GlobalShortcuts_parlovox"),
         QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":6144})")},
    };
    QDir().mkpath(home + QStringLiteral("/.config/Parlovox"));
    QDir().mkpath(home + QStringLiteral("/tmp"));
    QFile file(home + QStringLiteral("/.config/Parlovox/defaults.json"));
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(settings).toJson()) > 0;
}

QProcessEnvironment freshEnvironment(const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp"));
    environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return environment;
}

bool focus(const QByteArray &window)
{
    QProcess xdotool;
    xdotool.start(
        QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::fromLatin1(window)});
    return xdotool.waitForFinished(3000) && xdotool.exitCode() == 0;
}

int fail(const char *what)
{
    std::fprintf(stderr, "dictation_bench: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int dictations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return fail("needs an X display (scripts/with-test-env.sh)");

    QTemporaryDir home;
    testsupport::TestHttpServer server;
    if (!home.isValid() || !server.start())
        return fail("no temporary home or loopback server");
    int answered = 0;
    double requestAt = 0;
    double replyAt = 0;
    QObject::connect(&server, &testsupport::TestHttpServer::requestReceived,
                     [&](const testsupport::HttpRequest &request) {
                         if (request.path == "/inference")
                             requestAt = nowMs();
                     });
    server.setHandler("/health", [](const auto &) { return HttpReply::json(200, "{}"); });
    server.setHandler("/inference", [&](const auto &) {
        replyAt = nowMs();
        return HttpReply::json(200,
                               R"({"text":"dictation )" + QByteArray::number(++answered) + R"("})");
    });
    if (!writeSettings(home.path(), server.url()))
        return fail("cannot write the settings");

    Child field(QProcess::SeparateChannels);
    if (!field.start(QStringLiteral(PARLOVOX_PASTE_TARGET),
                     QProcessEnvironment::systemEnvironment()) ||
        !field.waitForLine("WINDOW "))
        return fail("the text field did not start");
    const QByteArray window = field.lineContaining("WINDOW ").mid(7);
    Child parlovox(QProcess::MergedChannels);
    if (!parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), freshEnvironment(home.path())) ||
        !parlovox.waitForLine("[AppState] onboardingComplete: true", 0, 20000))
        return fail("Parlovox did not start");
    pause(500); // the shortcut is grabbed and the first health probe answered
    if (!focus(window) || !waitUntil([&] { return field.lastIs("FOCUS", "BLUR"); }, 5000))
        return fail("the text field did not get the focus");

    XTestClient keyboard;
    std::vector<double> releaseToRequest, replyToText, releaseToText;
    for (int run = 0; run <= dictations; ++run) {
        // The user copied something in the other program before dictating: the program reads it
        // to put it back after the paste.
        const qsizetype copied = field.lineCount();
        field.write("COPY " + QUrl::toPercentEncoding(QStringLiteral("copied %1").arg(run)));
        if (!field.waitForLine("COPIED", copied, 3000, true))
            return fail("the text field did not copy");
        const qsizetype from = field.lineCount();
        requestAt = replyAt = 0;
        for (const quint8 key : {controlLeft, altLeft, keyK})
            keyboard.key(key, true);
        pause(400);
        keyboard.key(keyK, false);
        const double releaseAt = nowMs();
        keyboard.key(altLeft, false);
        keyboard.key(controlLeft, false);
        const QByteArray expected =
            "TEXT " + QUrl::toPercentEncoding(QStringLiteral("dictation %1").arg(answered + 1));
        const std::optional<double> textAt = field.waitForLine(expected, from, 10000, true);
        if (!textAt || requestAt == 0)
            return fail("a dictation did not reach the text field");
        if (qEnvironmentVariableIsSet("DICTATION_BENCH_EACH"))
            std::fprintf(stderr, "%d: %.2f %.2f %.2f\n", run, requestAt - releaseAt,
                         *textAt - replyAt, *textAt - releaseAt);
        if (run > 0) { // the first one is a warm-up
            releaseToRequest.push_back(requestAt - releaseAt);
            replyToText.push_back(*textAt - replyAt);
            releaseToText.push_back(*textAt - releaseAt);
        }
        const qsizetype cleared = field.lineCount();
        field.write("CLEAR");
        if (!field.waitForLine("CLEARED", cleared, 3000, true))
            return fail("the text field did not clear");
        pause(300); // the stop sound and the indicator's fade are over
    }
    std::printf("dictations: %d\n", dictations);
    std::printf("release → request sent: %.2f ms\n", median(releaseToRequest));
    std::printf("reply → text in the field: %.2f ms\n", median(replyToText));
    std::printf("release → text in the field: %.2f ms\n", median(releaseToText));
    std::fflush(stdout);
    return 0;
}
