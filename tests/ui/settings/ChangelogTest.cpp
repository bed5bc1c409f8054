// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/Changelog.h"

#include "support/FixedBundle.h"
#include "ui/settings/WhatsNewTab.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ui::ChangelogEntry;
using ui::parseChangelog;

namespace {

QList<ChangelogEntry> parse(const char *text)
{
    return parseChangelog(QString::fromUtf8(text));
}

} // namespace

TEST(Changelog, HeadingsGiveVersionAndTheDateAfterTheFirstDash)
{
    const QList<ChangelogEntry> entries = parse("# Changelog\n"
                                                "Intro prose\n"
                                                "- before any release\n"
                                                "## [1.2.0] - 2025-01-15\n"
                                                "### Added\n"
                                                "- First\n"
                                                "## [1.1.0]\n"
                                                "## [1.0.0] 2024-03-02\n"
                                                "## [ 0.9 ]\t-\u00a02023-12-01\u00a0\n");
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries.at(0), (ChangelogEntry{"1.2.0", "2025-01-15", {"First"}}));
    EXPECT_EQ(entries.at(1), (ChangelogEntry{"1.1.0", "", {}}));
    // No dash before the date: what follows the first dash is taken, wherever it is.
    EXPECT_EQ(entries.at(2).date, QStringLiteral("03-02"));
    EXPECT_EQ(entries.at(3), (ChangelogEntry{" 0.9 ", "2023-12-01", {}}));
}

TEST(Changelog, OnlyDashBulletsCountAndNestedOnesJoinTheirRelease)
{
    const QList<ChangelogEntry> entries = parse("## [2.0]\n"
                                                "- top\n"
                                                "    - nested\n"
                                                "\t- tabbed\n"
                                                "-nospace\n"
                                                "-   \n"
                                                "-  two spaces\n"
                                                "* star\n"
                                                "- *kept* `verbatim`\n"
                                                "## Unreleased\n"
                                                "- after unreleased\n"
                                                "## [no closing bracket\n"
                                                "- still 2.0\n");
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).lines,
              (QStringList{"top", "nested", "tabbed", " two spaces", "*kept* `verbatim`",
                           "after unreleased", "still 2.0"}));
    EXPECT_TRUE(parseChangelog(QString()).isEmpty());
    EXPECT_TRUE(parse("# Title\n- a bullet\nprose\n").isEmpty());
}

TEST(Changelog, AMissingForeignOrHugeFileNeverStallsTheTab)
{
    testsupport::FixedBundle bundle;
    EXPECT_TRUE(ui::loadChangelog(bundle).isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("CHANGELOG.md"));
    bundle.setResource(QStringLiteral("CHANGELOG.md"), path);
    EXPECT_TRUE(ui::loadChangelog(bundle).isEmpty());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("## [1.0] - 2025-01-01\n- caf\xe9 in Latin-1\n");
    }
    EXPECT_TRUE(ui::loadChangelog(bundle).isEmpty());

    // 50 MB: read only up to the last whole line within the limit, and shown at once.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("## [3.0] - 2026-01-01\n");
        const QByteArray line = QByteArray("- \xc3\xa9t\xc3\xa9 ") + QByteArray(88, 'x') + '\n';
        for (int i = 0; i < 50 * 1024 * 1024 / line.size(); ++i)
            file.write(line);
    }
    const QList<ChangelogEntry> entries = ui::loadChangelog(bundle);
    ui::WhatsNewTab tab(entries);
    tab.resize(560, 480);
    tab.show();
    QCoreApplication::processEvents();
    // Only the head of the file is read; reading it all would take minutes.
    ASSERT_EQ(entries.size(), 1);
    EXPECT_GT(entries.at(0).lines.size(), 1000);
    EXPECT_LT(entries.at(0).lines.size(), 3000);
    EXPECT_TRUE(entries.at(0).lines.last().endsWith(QByteArray(88, 'x')));
    EXPECT_GT(tab.findChildren<QLabel *>().size(), 2000);
}

TEST(Changelog, TheProgramsOwnChangelogIsCompiledInNewestFirst)
{
    testsupport::FixedBundle bundle;
    bundle.setResource(QStringLiteral("CHANGELOG.md"), QStringLiteral(":/parlovox/CHANGELOG.md"));
    const QList<ChangelogEntry> entries = ui::loadChangelog(bundle);
    ASSERT_FALSE(entries.isEmpty());
    QString previousDate;
    for (const ChangelogEntry &entry : entries) {
        EXPECT_FALSE(entry.version.isEmpty());
        EXPECT_FALSE(entry.lines.isEmpty()) << qPrintable(entry.version);
        EXPECT_EQ(entry.date.size(), 10) << qPrintable(entry.version);
        if (!previousDate.isEmpty()) {
            EXPECT_LE(entry.date, previousDate);
        }
        previousDate = entry.date;
    }
}
