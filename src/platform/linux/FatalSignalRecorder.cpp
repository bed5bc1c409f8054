// SPDX-License-Identifier: GPL-3.0-or-later
#include "FatalSignalRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QUuid>

#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform::linux_impl {

namespace {

// A signal handler can only use what was ready before the crash, so its state is prepared at
// install time and lives in static storage; nothing here allocates once a signal arrives.
constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kMaxFrames = 64;
char g_recordPath[4096];
// 32 lower-case hex digits: the id the report of this process's crash will carry.
char g_eventId[33];
// A stack overflow leaves no stack to run the handler on.
alignas(16) char g_alternateStack[64 * 1024];
volatile sig_atomic_t g_installed = 0;
volatile sig_atomic_t g_handling = 0;

void writeAll(int fd, const char *text, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

void writeText(int fd, const char *text)
{
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    writeAll(fd, text, length);
}

void writeNumber(int fd, int value)
{
    char digits[16];
    int count = 0;
    unsigned int rest = value < 0 ? 0u : static_cast<unsigned int>(value);
    do {
        digits[sizeof digits - 1 - count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0 && count < static_cast<int>(sizeof digits));
    writeAll(fd, digits + sizeof digits - count, static_cast<size_t>(count));
}

void onFatalSignal(int signal)
{
    // A second fault inside the handler must not loop: let it end the process.
    if (!g_handling) {
        g_handling = 1;
        const int fd = ::open(g_recordPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            writeText(fd, "parlovox-crash 2\nevent ");
            writeText(fd, g_eventId);
            writeText(fd, "\nsignal ");
            writeNumber(fd, signal);
            writeText(fd, "\nbacktrace\n");
            void *frames[kMaxFrames];
            const int count = ::backtrace(frames, kMaxFrames);
            ::backtrace_symbols_fd(frames, count, fd);
            writeText(fd, "end\n");
            ::close(fd);
        }
    }
    // The signal is blocked while this handler runs; once it returns, the default action ends
    // the process with the same status (and core dump) as without us.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

bool FatalSignalRecorder::install(const QString &directory)
{
    if (g_installed || !QDir().mkpath(directory))
        return false;
    const QByteArray path =
        QDir(directory)
            .filePath(QStringLiteral("crash-%1.record").arg(QCoreApplication::applicationPid()))
            .toLocal8Bit();
    if (path.size() >= static_cast<qsizetype>(sizeof g_recordPath))
        return false;
    std::memcpy(g_recordPath, path.constData(), static_cast<size_t>(path.size()) + 1);
    const QByteArray eventId = QUuid::createUuid().toByteArray(QUuid::Id128);
    std::memcpy(g_eventId, eventId.constData(), sizeof g_eventId - 1);
    g_eventId[sizeof g_eventId - 1] = '\0';

    // The first backtrace() loads the unwinder, which allocates: do it now, not in the handler.
    void *warmUp[1];
    ::backtrace(warmUp, 1);

    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action
    {
    };
    action.sa_handler = &onFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    g_installed = 1;
    return true;
}

QStringList FatalSignalRecorder::recordFiles(const QString &directory)
{
    const QDir dir(directory);
    QStringList files;
    for (const QString &name : dir.entryList({QStringLiteral("crash-*.record")}, QDir::Files))
        files.append(dir.filePath(name));
    return files;
}

std::optional<FatalSignalRecorder::Record> FatalSignalRecorder::parse(const QByteArray &bytes)
{
    if (bytes.size() > maxRecordBytes || !bytes.endsWith("\nend\n"))
        return std::nullopt;
    QList<QByteArray> lines = bytes.left(bytes.size() - 1).split('\n');
    Record record;
    if (lines.value(0) == "parlovox-crash 2") {
        static const QRegularExpression eventId(QStringLiteral("^event ([0-9a-f]{32})$"));
        const QRegularExpressionMatch match = eventId.match(QString::fromLatin1(lines.value(1)));
        if (!match.hasMatch())
            return std::nullopt;
        record.eventId = match.captured(1);
        lines.removeAt(1);
    } else if (lines.value(0) != "parlovox-crash 1") {
        return std::nullopt;
    }
    if (lines.size() < 4 || !lines[1].startsWith("signal ") || lines[2] != "backtrace")
        return std::nullopt;
    bool isNumber = false;
    record.signal = lines[1].mid(7).toInt(&isNumber);
    record.signalName = signalName(record.signal);
    if (!isNumber || record.signalName.isEmpty())
        return std::nullopt;
    // Between the "backtrace" line and the closing "end".
    for (qsizetype i = 3; i + 1 < lines.size(); ++i)
        record.frames.append(QString::fromUtf8(lines[i]));
    if (record.frames.size() > kMaxFrames)
        return std::nullopt;
    return record;
}

QString FatalSignalRecorder::signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return QStringLiteral("SIGSEGV");
    case SIGABRT:
        return QStringLiteral("SIGABRT");
    case SIGBUS:
        return QStringLiteral("SIGBUS");
    case SIGFPE:
        return QStringLiteral("SIGFPE");
    case SIGILL:
        return QStringLiteral("SIGILL");
    default:
        return {};
    }
}

} // namespace platform::linux_impl
