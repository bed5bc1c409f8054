// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/VocabularyPreset.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

QStringList terms(const QString &prompt)
{
    return prompt.isEmpty() ? QStringList() : prompt.split(QStringLiteral(", "));
}

TEST(VocabularyPreset, TableHasThreePresetsWithDistinctWords)
{
    const auto &all = VocabularyPreset::all();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].id, QStringLiteral("software-dev"));
    EXPECT_EQ(all[0].name, QStringLiteral("Software Dev"));
    EXPECT_EQ(all[0].icon, QStringLiteral("chevron.left.forwardslash.chevron.right"));
    EXPECT_EQ(all[1].id, QStringLiteral("web-dev"));
    EXPECT_EQ(all[1].name, QStringLiteral("Web Dev"));
    EXPECT_EQ(all[1].icon, QStringLiteral("globe"));
    EXPECT_EQ(all[2].id, QStringLiteral("ai-tools"));
    EXPECT_EQ(all[2].name, QStringLiteral("AI & LLM"));
    EXPECT_EQ(all[2].icon, QStringLiteral("brain"));
    EXPECT_EQ(all[0].words.size(), 35);
    EXPECT_EQ(all[1].words.size(), 29);
    EXPECT_EQ(all[2].words.size(), 25);
    EXPECT_EQ(all[0].words.last(), QStringLiteral("Podman"));
    EXPECT_EQ(all[1].words.last(), QStringLiteral("Framer Motion"));
    EXPECT_EQ(all[2].words.last(), QStringLiteral("MCP"));
    QSet<QString> seen;
    for (const auto &preset : all) {
        for (const auto &word : preset.words) {
            EXPECT_FALSE(seen.contains(word.toLower())) << word.toStdString();
            seen.insert(word.toLower());
        }
    }
    EXPECT_EQ(seen.size(), 35 + 29 + 25);
    EXPECT_EQ(&VocabularyPreset::all(), &all);
}

TEST(VocabularyPreset, CustomWordsComeFirstAndSuppressMatchingPresetWords)
{
    const QString prompt = VocabularyPreset::buildPrompt(
        QStringLiteral("kubernetes,  Foo\t,, ,bar"), {QStringLiteral("software-dev")});
    const QStringList result = terms(prompt);
    ASSERT_GE(result.size(), 5);
    EXPECT_EQ(result.mid(0, 5), (QStringList{QStringLiteral("kubernetes"), QStringLiteral("Foo"),
                                             QStringLiteral("bar"), QStringLiteral("kubectl"),
                                             QStringLiteral("PostgreSQL")}));
    EXPECT_EQ(result.size(), 3 + 34);
    EXPECT_FALSE(result.contains(QStringLiteral("Kubernetes")));
    EXPECT_TRUE(
        prompt.startsWith(QStringLiteral("kubernetes, Foo, bar, kubectl, PostgreSQL, SQLite")));
}

TEST(VocabularyPreset, PresetsFollowTableOrderNotTheOrderOfTheSetting)
{
    const QStringList result = terms(VocabularyPreset::buildPrompt(
        QString(),
        {QStringLiteral("ai-tools"), QStringLiteral("nonsense"), QStringLiteral("web-dev")}));
    EXPECT_EQ(result.size(), 54);
    EXPECT_EQ(result.first(), QStringLiteral("Next.js"));
    EXPECT_EQ(result[29], QStringLiteral("Claude"));
    EXPECT_EQ(result.last(), QStringLiteral("MCP"));
}

TEST(VocabularyPreset, KeepsCaseVariantsRepeatsAndLineBreaks)
{
    EXPECT_EQ(VocabularyPreset::buildPrompt(QStringLiteral("Foo, foo,Foo"), {}),
              QStringLiteral("Foo, foo, Foo"));
    EXPECT_EQ(VocabularyPreset::buildPrompt(QStringLiteral(" a\n ,\tb"), {}),
              QStringLiteral("a\n, b"));
    // A custom word suppresses preset words, but a preset word never suppresses another.
    EXPECT_EQ(
        terms(VocabularyPreset::buildPrompt(QStringLiteral("CLAUDE"), {QStringLiteral("ai-tools")}))
            .mid(0, 2),
        (QStringList{QStringLiteral("CLAUDE"), QStringLiteral("Claude Code")}));
}

TEST(VocabularyPreset, EmptyInputsGiveTheEmptyString)
{
    EXPECT_EQ(VocabularyPreset::buildPrompt(QString(), {}), QString());
    EXPECT_EQ(VocabularyPreset::buildPrompt(QStringLiteral(" , ,\t"), {QStringLiteral("unknown")}),
              QString());
    EXPECT_EQ(VocabularyPreset::buildPrompt(QStringLiteral("solo"), {QStringLiteral("unknown")}),
              QStringLiteral("solo"));
}

} // namespace
