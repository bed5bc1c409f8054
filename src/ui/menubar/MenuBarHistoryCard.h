// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;
class QLabel;

namespace ui {

class ElidedLabel;
class BorderlessButton;

// One of the recent transcripts, with buttons to step to older and newer ones and to copy the
// one shown.
class MenuBarHistoryCard final : public QWidget
{
    Q_OBJECT

public:
    static constexpr double copiedSeconds = 1.5;
    static constexpr double animationSeconds = 0.15;

    explicit MenuBarHistoryCard(AppState &appState, QWidget *parent = nullptr);

private:
    void copyTranscription();
    void setCopied(bool copied);
    void refresh();
    void refreshCopyButton();

    AppState &m_appState;
    // The view's only state of its own: true for a while after a copy.
    bool m_copied = false;
    BorderlessButton *m_older;
    QLabel *m_counter;
    BorderlessButton *m_newer;
    ElidedLabel *m_transcript;
    BorderlessButton *m_copy;
};

} // namespace ui
