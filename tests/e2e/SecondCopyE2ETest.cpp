// SPDX-License-Identifier: GPL-3.0-or-later
// Two starts in one session, as an autostart entry and a click on the launcher make them: the
// second copy must leave the first one's files alone (its start-up would otherwise take the
// recording the first is uploading), and the first leaves no recording behind when it quits.
#include "DictationE2EFixture.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QMap>

namespace {

class SecondCopyE2ETest : public e2e::DictationE2EFixture
{
protected:
    // Every file of the home folder (the lock in the runtime folder aside) with its content.
    QMap<QString, QByteArray> homeFiles() const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(m_home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.startsWith(home(QStringLiteral("runtime/"))))
                continue;
            QFile file(path);
            files.insert(path,
                         file.open(QIODevice::ReadOnly)
                             ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                             : QByteArray("unreadable"));
        }
        return files;
    }
    QStringList temporaryRecordings() const
    {
        return QDir(home(QStringLiteral("runtime/parlovox")))
            .entryList({QStringLiteral("parlovox-*.wav")});
    }
};

TEST_F(SecondCopyE2ETest, ASecondCopyTouchesNothingAndAQuitLeavesNoRecordingBehind)
{
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    // The first copy has warmed up the microphone (a clip of 0.3 s, then deleted) and holds its
    // next recording prepared: a header alone.
    const auto onlyAPreparedRecording = [&] {
        const QStringList names = temporaryRecordings();
        return names.size() == 1 &&
               QFileInfo(home(QStringLiteral("runtime/parlovox/")) + names[0]).size() ==
                   e2e::kWavHeaderBytes;
    };
    ASSERT_TRUE(testsupport::waitUntil(onlyAPreparedRecording, 10000))
        << qPrintable(m_parlovox.output());
    testsupport::waitUntil([] { return false; }, 1000);
    ASSERT_TRUE(onlyAPreparedRecording());
    // What the first copy is uploading now, as a second copy's start-up would find it.
    const QString uploading =
        home(QStringLiteral("runtime/parlovox/parlovox-0A1B2C3D-0000-4000-8000-00000000000A.wav"));
    QFile recording(uploading);
    ASSERT_TRUE(recording.open(QIODevice::WriteOnly));
    recording.write(QByteArray(e2e::kWavHeaderBytes + e2e::kRecordingBytesPerSecond, 'a'));
    recording.close();
    const QMap<QString, QByteArray> before = homeFiles();

    e2e::ProgramUnderTest second;
    ASSERT_TRUE(second.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    ASSERT_TRUE(second.waitForLine("Parlovox is already running in this session.", 10000))
        << qPrintable(second.output());
    EXPECT_TRUE(testsupport::waitUntil([&] { return !second.isRunning(); }, 5000));
    EXPECT_FALSE(second.lineContaining("[App] Another Parlovox holds ").isEmpty())
        << qPrintable(second.output());
    EXPECT_EQ(homeFiles(), before);
    EXPECT_TRUE(m_parlovox.isRunning());

    // A clean quit takes its prepared recording along; the one it was given stays for later.
    m_parlovox.stop();
    EXPECT_EQ(temporaryRecordings(), QStringList{QFileInfo(uploading).fileName()});
}

} // namespace
