// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QPalette>
#include <QWidget>

class AppState;
class QLineEdit;

namespace ui {

class BorderlessButton;
class ChipView;
class FlowScrollArea;

// The user's own words, kept by AppState as one comma-separated text, edited as removable chips
// and a field that adds one or several comma-separated words at once. Every edit stores the words
// joined by ", " and writes the settings.
class CustomWordsEditor final : public QWidget
{
    Q_OBJECT

public:
    static constexpr double duplicateNoticeSeconds = 1.5;
    // How long chips take to come, go and make room.
    static constexpr double changeSeconds = 0.15;

    explicit CustomWordsEditor(AppState &appState, QWidget *parent = nullptr);

    // The words of AppState's prompt, read afresh.
    QStringList words() const;
    // Adds the field's words that are not there yet; with none new, shows "Already added".
    void add();
    // Removes every chip showing `word`.
    void remove(const QString &word);

    QLineEdit &field() const { return *m_field; }
    BorderlessButton &addButton() const { return *m_add; }
    bool isShowingDuplicateNotice() const { return m_duplicateNotice; }
    // The chips shown, in order.
    QList<ChipView *> chips() const { return m_chips; }
    FlowScrollArea &chipArea() const { return *m_chipArea; }

private:
    void showWords();
    void setDuplicateNotice(bool shown);
    void storeWords(const QStringList &words);

    AppState &m_appState;
    FlowScrollArea *m_chipArea;
    QLineEdit *m_field;
    BorderlessButton *m_add;
    bool m_duplicateNotice = false;
    QList<ChipView *> m_chips;
};

} // namespace ui
