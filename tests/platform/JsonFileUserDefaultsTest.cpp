// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/JsonFileUserDefaults.h"
#include "platform/FileRecovery.h"
#include "support/FullDiskWriter.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::linux_impl::JsonFileUserDefaults;
using testsupport::FullDiskWriter;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class JsonFileUserDefaultsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/Parlovox/defaults.json"); }
};

TEST_F(JsonFileUserDefaultsTest, ValuesKeepTheirTypeAcrossInstances)
{
    {
        JsonFileUserDefaults defaults(path());
        defaults.setString(QStringLiteral("serverURL"), QStringLiteral("http://host:1"));
        defaults.setBool(QStringLiteral("autoPaste"), false);
        defaults.setNumber(QStringLiteral("maxRecordingDuration"), 120.5);
        defaults.setStringList(QStringLiteral("enabledPresets"), {QStringLiteral("web-dev")});
    }
    JsonFileUserDefaults reread(path());
    EXPECT_EQ(reread.string(QStringLiteral("serverURL")), QStringLiteral("http://host:1"));
    EXPECT_EQ(reread.boolean(QStringLiteral("autoPaste")), false);
    EXPECT_EQ(reread.number(QStringLiteral("maxRecordingDuration")), 120.5);
    EXPECT_EQ(reread.stringList(QStringLiteral("enabledPresets")),
              QStringList{QStringLiteral("web-dev")});
    // A reader of another type sees nothing: no silent conversions.
    EXPECT_FALSE(reread.boolean(QStringLiteral("serverURL")));
    EXPECT_FALSE(reread.string(QStringLiteral("autoPaste")));
    EXPECT_FALSE(reread.number(QStringLiteral("enabledPresets")));
}

TEST_F(JsonFileUserDefaultsTest, TheSettingsAndTheirFolderAreTheOwnersAlone)
{
    const auto mode = [](const QString &file) {
        struct stat info = {};
        return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_mode & 0777
                                                                       : 01000u;
    };
    const mode_t previousMask = ::umask(022);
    // A new file in a new folder, and one an earlier version left readable by everyone.
    const QString created = dir.path() + QStringLiteral("/new/Parlovox/defaults.json");
    JsonFileUserDefaults(created).setBool(QStringLiteral("autoPaste"), true);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path()).path()));
    writeFile(path(), "{");
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(QFileInfo(path()).path()).constData(), 0755), 0);
    JsonFileUserDefaults earlier(path());
    // At once: a user who changes nothing would keep the server URL readable by everyone.
    EXPECT_EQ(mode(path()), 0600u);
    EXPECT_EQ(mode(QFileInfo(path()).path()), 0700u);
    // Made readable again meanwhile (by hand): the next save narrows it before keeping a copy,
    // and a copy is the owner's alone even of a file that is not.
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    earlier.setBool(QStringLiteral("autoPaste"), true);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    EXPECT_EQ(platform::FileRecovery::keepBadCopy(path()), path() + QStringLiteral(".bad.1"));
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0600), 0);
    ::umask(previousMask);

    for (const QString &file :
         {created, path(), path() + QStringLiteral(".bad"), path() + QStringLiteral(".bad.1")}) {
        EXPECT_EQ(mode(file), 0600u) << file.toStdString();
        EXPECT_EQ(mode(QFileInfo(file).path()), 0700u) << file.toStdString();
    }
    EXPECT_EQ(mode(dir.path() + QStringLiteral("/new")), 0700u);
}

TEST_F(JsonFileUserDefaultsTest, MixedArrayIsNoStringList)
{
    JsonFileUserDefaults defaults(path());
    defaults.setValue(QStringLiteral("enabledPresets"), QJsonArray{QStringLiteral("a"), 3});
    EXPECT_FALSE(defaults.stringList(QStringLiteral("enabledPresets")));
    EXPECT_TRUE(defaults.contains(QStringLiteral("enabledPresets")));
}

TEST_F(JsonFileUserDefaultsTest, RemoveDeletesFromFile)
{
    JsonFileUserDefaults defaults(path());
    defaults.setString(QStringLiteral("a"), QStringLiteral("1"));
    defaults.remove(QStringLiteral("a"));
    EXPECT_FALSE(JsonFileUserDefaults(path()).contains(QStringLiteral("a")));
}

TEST_F(JsonFileUserDefaultsTest, BrokenFileReadsEmptyAndIsKeptBeforeFirstWrite)
{
    QDir().mkpath(dir.path() + QStringLiteral("/Parlovox"));
    const QByteArray handEdited = "{ \"serverURL\": \"http://x\", oops";
    writeFile(path(), handEdited);

    JsonFileUserDefaults defaults(path());
    EXPECT_TRUE(defaults.keys().isEmpty());
    // Reading alone never touches the user's file.
    EXPECT_EQ(readFile(path()), handEdited);
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".bad")));

    defaults.setBool(QStringLiteral("autoPaste"), true);
    EXPECT_EQ(readFile(path() + QStringLiteral(".bad")), handEdited);
    EXPECT_EQ(JsonFileUserDefaults(path()).boolean(QStringLiteral("autoPaste")), true);

    // The backup is made once; later writes leave it alone.
    defaults.setBool(QStringLiteral("autoPaste"), false);
    EXPECT_EQ(readFile(path() + QStringLiteral(".bad")), handEdited);

    // A file broken again later is kept under the next name; the first copy stays.
    const QByteArray brokenAgain = "{ truncated";
    writeFile(path(), brokenAgain);
    JsonFileUserDefaults again(path());
    again.setBool(QStringLiteral("autoPaste"), true);
    EXPECT_EQ(readFile(path() + QStringLiteral(".bad")), handEdited);
    EXPECT_EQ(readFile(path() + QStringLiteral(".bad.1")), brokenAgain);
}

TEST_F(JsonFileUserDefaultsTest, AFullDiskKeepsTheOldFileWholeAndTheNextChangeWritesEverything)
{
    JsonFileUserDefaults(path()).setString(QStringLiteral("serverURL"), QStringLiteral("http://a"));
    const QByteArray saved = readFile(path());
    // What a save killed on an earlier run leaves beside the file.
    writeFile(path() + QStringLiteral(".Ab12Cd"), "{ \"serverURL\": \"http://half");

    testsupport::LogCapture log(QStringLiteral("parlovox.defaults"));
    auto disk = std::make_unique<FullDiskWriter>();
    FullDiskWriter &writer = *disk;
    JsonFileUserDefaults defaults(path(), std::move(disk));
    const QDir folder(QFileInfo(path()).absolutePath());
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList{"defaults.json"});

    for (const FullDiskWriter::Failing failing :
         {FullDiskWriter::Failing::write, FullDiskWriter::Failing::sync}) {
        writer.failing = failing;
        log.clear();
        defaults.setString(QStringLiteral("serverURL"),
                           QStringLiteral("http://b%1").arg(int(failing)));
        EXPECT_EQ(readFile(path()), saved) << int(failing);
        EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList{"defaults.json"});
        ASSERT_EQ(log.lines(QStringLiteral("critical")).size(), 1);
        EXPECT_TRUE(log.lines(QStringLiteral("critical"))[0].endsWith(FullDiskWriter::noSpace));
        // The program goes on with what it holds.
        EXPECT_EQ(defaults.string(QStringLiteral("serverURL")),
                  QStringLiteral("http://b%1").arg(int(failing)));
    }

    writer.failing = FullDiskWriter::Failing::nothing;
    defaults.setBool(QStringLiteral("autoPaste"), false);
    JsonFileUserDefaults reread(path());
    EXPECT_EQ(reread.string(QStringLiteral("serverURL")),
              QStringLiteral("http://b%1").arg(int(FullDiskWriter::Failing::sync)));
    EXPECT_EQ(reread.boolean(QStringLiteral("autoPaste")), false);
}

TEST_F(JsonFileUserDefaultsTest, TopLevelArrayIsNotSettings)
{
    QDir().mkpath(dir.path() + QStringLiteral("/Parlovox"));
    writeFile(path(), "[1,2,3]");
    JsonFileUserDefaults defaults(path());
    EXPECT_TRUE(defaults.keys().isEmpty());
    EXPECT_FALSE(defaults.persistentDomain(QStringLiteral("com.apple.HIToolbox")));
}

} // namespace
