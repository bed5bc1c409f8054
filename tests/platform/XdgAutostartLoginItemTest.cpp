// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::linux_impl::XdgAutostartLoginItem;

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(XdgAutostartLoginItem, RegisterWritesAnEntryThatStartsTheProgramAndUnregisterRemovesIt)
{
    QTemporaryDir root;
    XdgAutostartLoginItem item(root.path() + QStringLiteral("/config/autostart"),
                               QStringLiteral("/opt/parlovox/bin/parlovox"));
    EXPECT_FALSE(item.isEnabled());
    // Removing an entry that is not there is no failure.
    EXPECT_FALSE(item.unregisterMainApp().has_value());

    EXPECT_FALSE(item.registerMainApp().has_value());
    EXPECT_TRUE(item.isEnabled());
    const QString entry = readAll(item.entryPath());
    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nType=Application\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=/opt/parlovox/bin/parlovox\n")));
    // Registering twice is harmless.
    EXPECT_FALSE(item.registerMainApp().has_value());

    EXPECT_FALSE(item.unregisterMainApp().has_value());
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(QFile::exists(item.entryPath()));
}

TEST(XdgAutostartLoginItem, QuotesAnExecutablePathWithSpacesAndSpecialCharacters)
{
    QTemporaryDir root;
    XdgAutostartLoginItem item(root.path(), QStringLiteral("/home/me/My Apps/par\"lo$vox"));
    ASSERT_FALSE(item.registerMainApp().has_value());
    EXPECT_TRUE(readAll(item.entryPath())
                    .contains(QStringLiteral("\nExec=\"/home/me/My Apps/par\\\\\"lo\\\\$vox\"\n")));

    // A line break in the path stays inside the Exec value instead of starting a new key.
    XdgAutostartLoginItem odd(root.path(), QStringLiteral("/tmp/a\nHidden=true"));
    ASSERT_FALSE(odd.registerMainApp().has_value());
    const QString entry = readAll(odd.entryPath());
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/tmp/a\\nHidden=true\"\n")));
    EXPECT_FALSE(entry.contains(QStringLiteral("\nHidden=true")));
}

TEST(XdgAutostartLoginItem, AnUnwritableDirectoryIsAFailureWithADescription)
{
    QTemporaryDir root;
    // A plain file where the autostart directory should be.
    const QString blocked = root.path() + QStringLiteral("/autostart");
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    XdgAutostartLoginItem item(blocked, QStringLiteral("/usr/bin/parlovox"));
    const auto failure = item.registerMainApp();
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_FALSE(item.isEnabled());
}
