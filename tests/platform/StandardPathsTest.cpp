// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/StandardPaths.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using platform::linux_impl::StandardPaths;

namespace {

struct Owner
{
    uid_t uid = 0;
    unsigned mode = 0;
    bool operator==(const Owner &) const = default;
};

Owner ownerOf(const QString &path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return {uid_t(-1), 0};
    return {info.st_uid, unsigned(info.st_mode & 07777)};
}

} // namespace

TEST(StandardPaths, RecordingsLiveInAFolderOfThisUsersAloneAndNoOtherIsUsed)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString runtime = root.path() + QStringLiteral("/run");
    const QString shared = root.path() + QStringLiteral("/tmp");
    ASSERT_TRUE(QDir().mkdir(runtime) && QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray previousTmp = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", previousRuntime);
        qputenv("TMPDIR", previousTmp);
    });
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("TMPDIR", QFile::encodeName(shared));
    const Owner mine{::geteuid(), 0700};
    StandardPaths paths;

    // The session's private runtime folder, and one an earlier run left open is closed again.
    const QString inRuntime = runtime + QStringLiteral("/parlovox");
    EXPECT_EQ(paths.temporaryDirectory(), inRuntime);
    EXPECT_EQ(ownerOf(inRuntime), mine);
    ASSERT_EQ(::chmod(QFile::encodeName(inRuntime).constData(), 0755), 0);
    EXPECT_EQ(paths.temporaryDirectory(), inRuntime);
    EXPECT_EQ(ownerOf(inRuntime), mine);

    // A runtime folder open to others is no such place: a per-user folder in the shared one.
    const QString inShared = shared + QStringLiteral("/parlovox-") + QString::number(::geteuid());
    ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0755), 0);
    EXPECT_EQ(paths.temporaryDirectory(), inShared);
    EXPECT_EQ(ownerOf(inShared), mine);
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(paths.temporaryDirectory(), inShared);

    // Planted there by another user, or as a link to a folder elsewhere: refused, untouched.
    ASSERT_EQ(::chown(QFile::encodeName(inShared).constData(), 4242, 4242), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(inShared).constData(), 0777), 0);
    EXPECT_EQ(paths.temporaryDirectory(), QString());
    EXPECT_EQ(ownerOf(inShared), (Owner{4242, 0777}));
    ASSERT_TRUE(QDir(inShared).removeRecursively());
    const QString elsewhere = root.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(elsewhere, inShared));
    EXPECT_EQ(paths.temporaryDirectory(), QString());
    EXPECT_EQ(ownerOf(elsewhere), (Owner{::geteuid(), 0755}));
}
