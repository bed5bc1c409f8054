// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WavFileWriter.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using platform::linux_impl::WavFileWriter;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 u32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

TEST(WavFileWriter, KeepsTheHeaderTrueToTheWholeFramesWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    WavFileWriter writer;
    ASSERT_TRUE(writer.open(path, 16000, 1, 16));
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    EXPECT_TRUE(permissions.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ((permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther)).toInt(), 0)
        << "other users never read a recording";
    QByteArray header = contents(path);
    ASSERT_EQ(header.size(), 44) << "valid before any sample arrives";
    EXPECT_EQ(u32(header, 4), 36u);
    EXPECT_EQ(u32(header, 40), 0u);

    // The audio device may hand out odd byte counts: a split sample is joined, not shifted.
    EXPECT_TRUE(writer.append("\x01\x02\x03", 3));
    EXPECT_TRUE(writer.append("\x04\x05", 2));
    EXPECT_EQ(writer.dataBytes(), 4);
    EXPECT_TRUE(writer.finish());
    EXPECT_FALSE(writer.append("\x06\x07", 2)) << "a finished file takes nothing more";

    const QByteArray wav = contents(path);
    ASSERT_EQ(wav.size(), 48);
    EXPECT_EQ(wav.mid(44), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(u32(wav, 4), 40u);
    EXPECT_EQ(u32(wav, 40), 4u);
    EXPECT_EQ(u32(wav, 24), 16000u);
}

TEST(WavFileWriter, ReportsAFileThatCannotBeCreated)
{
    QTemporaryDir dir;
    WavFileWriter writer;
    EXPECT_FALSE(writer.open(dir.filePath(QStringLiteral("missing/a.wav")), 16000, 1, 16));
    EXPECT_FALSE(writer.errorString().isEmpty());
    EXPECT_FALSE(writer.append("\x01\x02", 2));
}

} // namespace
