// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class AppState;
class QLabel;
class QStackedWidget;

namespace ui {

class ElidedLabel;

// The live part of the try-it step: it follows the real engine's state. Recording shows the
// level and "Listening…", processing "Transcribing…", an error its message, and idle either the
// last transcript with "It works!" or the quiet capsule with the hint to hold the trigger.
class OnboardingStatusArea final : public QWidget
{
    Q_OBJECT

public:
    enum class Page { Recording, Processing, Error, Transcript, Idle };

    explicit OnboardingStatusArea(AppState &appState, QWidget *parent = nullptr);

    Page page() const;
    QLabel *errorLabel() const { return m_errorText; }
    ElidedLabel *transcriptLabel() const { return m_transcript; }
    QLabel *worksLabel() const { return m_works; }
    QLabel *idleHint() const { return m_idleHint; }
    QLabel *listeningLabel() const { return m_listening; }

private:
    void refresh();
    QWidget *column(QWidget *first, QWidget *second, bool stretchFirst = false);

    QPointer<AppState> m_appState;
    QStackedWidget *m_pages = nullptr;
    QLabel *m_listening = nullptr;
    QLabel *m_errorText = nullptr;
    ElidedLabel *m_transcript = nullptr;
    QLabel *m_works = nullptr;
    QLabel *m_idleHint = nullptr;
};

} // namespace ui
