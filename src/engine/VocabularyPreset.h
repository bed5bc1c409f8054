// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A built-in word list that biases recognition towards a field's vocabulary.
struct VocabularyPreset
{
    QString id;   // stored in the "enabledPresets" setting
    QString name; // display name
    QString icon; // symbol name; part of the table, shown by no view
    QStringList words;

    // The three presets, in display order; built once, never changes.
    static const std::vector<VocabularyPreset> &all();

    // The prompt sent with every upload: the comma-separated custom words (trimmed of spaces and
    // tabs, empty ones dropped, case and repeats kept), then the words of each enabled preset in
    // table order, leaving out those a custom word matches case-insensitively; joined by ", ".
    static QString buildPrompt(const QString &customWords, const QStringList &enabledPresets);

    friend bool operator==(const VocabularyPreset &, const VocabularyPreset &) = default;
};
