// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingStatusArea.h"

#include "engine/AppState.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/ProgressSpinner.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/onboarding/OnboardingLevelCapsule.h"
#include "ui/onboarding/OnboardingStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace ui {

namespace {

// A label's height for `lines` lines of its font.
int heightForLines(const QLabel *label, int lines)
{
    return label->fontMetrics().lineSpacing() * lines;
}

} // namespace

OnboardingStatusArea::OnboardingStatusArea(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(&appState), m_pages(new QStackedWidget(this))
{
    // 120 high; a transcript of four lines takes more, from the free space below rather than from
    // its own last line.
    setMinimumHeight(120);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 16, 0, 0);
    layout->addWidget(m_pages);

    // Recording.
    // The live bars read the level at every frame, so they need no signal of their own.
    const QPointer<AppState> model(&appState);
    auto *liveCapsule = new OnboardingLevelCapsule(
        [model] { return model ? model->currentAudioLevel() : 0.0f; }, 0.6, 1.0);
    m_listening = new QLabel(tr("Listening…"));
    QFont listeningFont = Theme::font(TextStyle::Callout);
    listeningFont.setWeight(QFont::Medium);
    Theme::style(m_listening, TextStyle::Callout, OnboardingStyle::accent());
    m_listening->setFont(listeningFont);
    m_pages->addWidget(column(liveCapsule, m_listening));

    // Processing.
    auto *processing = new QWidget;
    auto *processingRow = new QHBoxLayout(processing);
    processingRow->setSpacing(8);
    auto *spinner = new ProgressSpinner(14);
    auto *transcribing = new QLabel(tr("Transcribing…"));
    Theme::style(transcribing, TextStyle::Callout);
    processingRow->addStretch(1);
    processingRow->addWidget(spinner);
    processingRow->addWidget(transcribing);
    processingRow->addStretch(1);
    auto *processingPage = new QWidget;
    auto *processingColumn = new QVBoxLayout(processingPage);
    processingColumn->setContentsMargins(0, 0, 0, 0);
    processingColumn->addWidget(processing, 0, Qt::AlignTop);
    processingColumn->addStretch(1);
    m_pages->addWidget(processingPage);

    // Error: the warning symbol runs inline with the message, so both wrap as one centred text.
    m_errorText = new QLabel;
    m_errorText->setTextFormat(Qt::RichText);
    m_errorText->setWordWrap(true);
    m_errorText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Theme::style(m_errorText, TextStyle::Caption, Theme::color(NamedColor::Red));
    m_errorText->setContentsMargins(32, 0, 32, 0);
    m_errorText->setMaximumHeight(heightForLines(m_errorText, 2));
    m_pages->addWidget(column(m_errorText, nullptr, true));

    // Transcript.
    m_transcript = new ElidedLabel;
    m_transcript->setMaximumLines(4);
    m_transcript->setAlignment(Qt::AlignCenter);
    QFont transcriptFont = Theme::font(TextStyle::Body);
    transcriptFont.setPixelSize(Theme::scaled(15));
    m_transcript->setFont(transcriptFont);
    m_transcript->setContentsMargins(16, 12, 16, 12);
    Theme::follow(m_transcript, QStringLiteral("ui.OnboardingStatusArea.bubble"), [this] {
        QColor bubble = Theme::foreground(palette(), Emphasis::Quaternary);
        bubble.setAlphaF(bubble.alphaF() * 0.5f);
        const QString sheet = QStringLiteral("QLabel { background: %1; border-radius: 10px; }")
                                  .arg(bubble.name(QColor::HexArgb));
        // A style sheet set again polishes the label again, which changes its palette.
        if (m_transcript->styleSheet() != sheet)
            m_transcript->setStyleSheet(sheet);
    });
    auto *bubbleHolder = new QWidget;
    auto *bubbleLayout = new QHBoxLayout(bubbleHolder);
    bubbleLayout->setContentsMargins(32, 0, 32, 0);
    bubbleLayout->addWidget(m_transcript);
    m_works = new QLabel(tr("It works!"));
    Theme::style(m_works, TextStyle::Caption, OnboardingStyle::accent());
    m_pages->addWidget(column(bubbleHolder, m_works, true));

    // Idle.
    auto *idleCapsule = new OnboardingLevelCapsule({}, 0.4, 0.3);
    m_idleHint = new QLabel;
    m_idleHint->setTextFormat(Qt::RichText);
    Theme::style(m_idleHint, TextStyle::Caption, Emphasis::Tertiary);
    m_pages->addWidget(column(idleCapsule, m_idleHint));

    connect(&appState, &AppState::stateChanged, this, &OnboardingStatusArea::refresh);
    connect(&appState, &AppState::transcriptionHistoryChanged, this,
            &OnboardingStatusArea::refresh);
    connect(&appState, &AppState::historyIndexChanged, this, &OnboardingStatusArea::refresh);
    connect(&appState, &AppState::useFnKeyChanged, this, &OnboardingStatusArea::refresh);
    refresh();
}

QWidget *OnboardingStatusArea::column(QWidget *first, QWidget *second, bool stretchFirst)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    if (stretchFirst)
        layout->addWidget(first);
    else
        layout->addWidget(first, 0, Qt::AlignHCenter);
    if (second)
        layout->addWidget(second, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

OnboardingStatusArea::Page OnboardingStatusArea::page() const
{
    return static_cast<Page>(m_pages->currentIndex());
}

void OnboardingStatusArea::refresh()
{
    if (!m_appState)
        return;
    const RecordingState state = m_appState->state();
    Page page = Page::Idle;
    if (state.isRecording()) {
        page = Page::Recording;
    } else if (state.isProcessing()) {
        page = Page::Processing;
    } else if (state.isError()) {
        page = Page::Error;
        // Shown verbatim: the message is escaped, never read as markup.
        m_errorText->setText(
            QStringLiteral("<span style=\"font-family: '%1'\">%2</span> %3")
                .arg(Symbols::font(12).family(),
                     Symbols::text(QStringLiteral("exclamationmark.triangle.fill")),
                     state.message().toHtmlEscaped()));
    } else if (const QString transcript = m_appState->currentTranscription();
               !transcript.isEmpty()) {
        page = Page::Transcript;
        m_transcript->setFullText(transcript);
    } else {
        m_idleHint->setText(OnboardingStyle::withBold(m_appState->useFnKey()
                                                          ? tr("Hold **Fn** to start")
                                                          : tr("Hold your shortcut to start")));
    }
    m_pages->setCurrentIndex(int(page));
}

} // namespace ui
