// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionLogger.h"
#include "support/FullDiskWriter.h"
#include "support/LogCapture.h"
#include "support/TempPaths.h"
#include "support/VirtualScheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TranscriptionLoggerTest : public ::testing::Test
{
protected:
    testsupport::TempPaths m_paths;
    testsupport::VirtualScheduler m_clock; // 2025-01-15T10:20:30Z
};

TEST_F(TranscriptionLoggerTest, WritesSortedCompactRecordsOneLineEach)
{
    TranscriptionLogger logger(m_paths, m_clock);
    EXPECT_EQ(logger.logPath(), m_paths.applicationSupportDirectory() +
                                    QStringLiteral("/Parlovox/transcriptions.jsonl"));
    EXPECT_EQ(logger.logURL().toLocalFile(), logger.logPath());
    EXPECT_FALSE(QFile::exists(logger.logPath()));

    logger.logSuccess(QStringLiteral("hello world"), 1234);
    m_clock.advance(61.7);
    logger.logFailure(QStringLiteral("Server error 500: oops"), 0);
    EXPECT_EQ(
        contents(logger.logPath()),
        QByteArray(
            R"({"duration_ms":1234,"ok":true,"text":"hello world","ts":"2025-01-15T10:20:30Z"})"
            "\n"
            R"({"duration_ms":0,"error":"Server error 500: oops","ok":false,"text":"","ts":"2025-01-15T10:21:31Z"})"
            "\n"));
}

TEST_F(TranscriptionLoggerTest, StampsInUtcWithWholeSecondsWhateverTheClocksZone)
{
    testsupport::VirtualScheduler clock(
        QDateTime(QDate(2025, 1, 15), QTime(12, 20, 30, 999), QTimeZone(2 * 3600)));
    TranscriptionLogger logger(m_paths, clock);
    logger.logSuccess(QStringLiteral("x"), 1);
    EXPECT_TRUE(contents(logger.logPath())
                    .endsWith(R"("ts":"2025-01-15T10:20:30Z"})"
                              "\n"));
}

TEST_F(TranscriptionLoggerTest, EscapesSoEveryRecordStaysOneValidLine)
{
    TranscriptionLogger logger(m_paths, m_clock);
    // DEL, C1 controls and the line and paragraph separators are escaped too: a terminal or a
    // line-splitting reader must not meet them raw.
    const QString text =
        QStringLiteral("a/b \"q\" \\ line\nbreak\ttab\r\x01 Zoë 日本 🎤\x7f\x85\u009b\u2028\u2029");
    logger.logSuccess(text, -5);
    const QByteArray line = contents(logger.logPath());
    EXPECT_EQ(
        line,
        QByteArray(
            R"({"duration_ms":-5,"ok":true,"text":"a\/b \"q\" \\ line\nbreak\ttab\r\u0001 )") +
            "Zo\xc3\xab \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\xa4" +
            R"(\u007f\u0085\u009b\u2028\u2029","ts":"2025-01-15T10:20:30Z"})" + "\n");
    EXPECT_EQ(line.count('\n'), 1);
    const QJsonDocument parsed = QJsonDocument::fromJson(line);
    EXPECT_EQ(parsed[QStringLiteral("text")].toString(), text);
}

TEST_F(TranscriptionLoggerTest, AppendsToAnExistingFileAndCreatesMissingFolders)
{
    m_paths.setApplicationSupportDirectory(m_paths.root() + QStringLiteral("/not/yet/there"));
    {
        TranscriptionLogger first(m_paths, m_clock);
        first.logSuccess(QStringLiteral("one"), 1);
    }
    TranscriptionLogger second(m_paths, m_clock);
    second.logFailure(QStringLiteral("Retry exhausted after 10 attempts: Invalid server response"),
                      0);
    const QList<QByteArray> lines = contents(second.logPath()).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(R"("text":"one")"));
    EXPECT_TRUE(lines[1].contains(
        R"("error":"Retry exhausted after 10 attempts: Invalid server response")"));
    EXPECT_EQ(lines[2], QByteArray());
}

TEST_F(TranscriptionLoggerTest, AFullDiskLosesOneWholeRecordAndSaysSo)
{
    testsupport::LogCapture log;
    // An earlier run was killed in the middle of its second record.
    const QByteArray first =
        R"({"duration_ms":0,"ok":true,"text":"first","ts":"2025-01-15T10:20:30Z"})"
        "\n";
    const QString path =
        m_paths.applicationSupportDirectory() + QStringLiteral("/Parlovox/transcriptions.jsonl");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(first + R"({"duration_ms":1,"ok":true,"te)");
    file.close();
    TranscriptionLogger logger(m_paths, m_clock);
    auto writer = std::make_unique<testsupport::FullDiskWriter>();
    testsupport::FullDiskWriter *disk = writer.get();
    logger.setWriter(std::move(writer));

    logger.logSuccess(QStringLiteral("before"), 1);
    disk->failing = testsupport::FullDiskWriter::Failing::write;
    logger.logSuccess(QStringLiteral("lost"), 2);
    disk->failing = testsupport::FullDiskWriter::Failing::nothing;
    logger.logFailure(QStringLiteral("after"), 3);

    const QList<QByteArray> lines = contents(logger.logPath()).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0] + '\n', first);
    EXPECT_EQ(QJsonDocument::fromJson(lines[1])[QStringLiteral("text")].toString(),
              QStringLiteral("before"));
    EXPECT_EQ(QJsonDocument::fromJson(lines[2])[QStringLiteral("error")].toString(),
              QStringLiteral("after"));
    EXPECT_EQ(lines[3], QByteArray());
    EXPECT_EQ(log.lines(QStringLiteral("critical")),
              QStringList{QStringLiteral("[TranscriptionLogger] Failed to write a record: ") +
                          testsupport::FullDiskWriter::noSpace});
}

TEST_F(TranscriptionLoggerTest, FailuresLoseOnlyTheirRecord)
{
    // A plain file where the folder should be: neither the folder nor the log can be made.
    const QString blocker = m_paths.root() + QStringLiteral("/blocked");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    m_paths.setApplicationSupportDirectory(blocker);
    TranscriptionLogger logger(m_paths, m_clock);
    EXPECT_NO_THROW(logger.logSuccess(QStringLiteral("lost"), 1));
    EXPECT_NO_THROW(logger.logFailure(QStringLiteral("lost"), 1));
    EXPECT_FALSE(QFile::exists(logger.logPath()));

    // Something at the log's path that cannot be opened for writing (a folder here, since
    // tests may run as root): the record is lost, nothing else happens.
    testsupport::TempPaths other;
    TranscriptionLogger unopenable(other, m_clock);
    ASSERT_TRUE(QDir().mkpath(unopenable.logPath()));
    EXPECT_NO_THROW(unopenable.logSuccess(QStringLiteral("lost"), 1));
    EXPECT_TRUE(QFileInfo(unopenable.logPath()).isDir());
}

} // namespace
