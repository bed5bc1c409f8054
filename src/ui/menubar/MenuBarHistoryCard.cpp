// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarHistoryCard.h"

#include "engine/AppState.h"
#include "platform/Pasteboard.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/FadeAnimation.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace ui {

MenuBarHistoryCard::MenuBarHistoryCard(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState),
      m_older(new BorderlessButton(QStringLiteral("chevron.left"), QString(), TextStyle::Caption2,
                                   this)),
      m_counter(new QLabel(this)),
      m_newer(new BorderlessButton(QStringLiteral("chevron.right"), QString(), TextStyle::Caption2,
                                   this)),
      m_transcript(new ElidedLabel(this)),
      m_copy(new BorderlessButton(QString(), QString(), TextStyle::Caption, this))
{
    setObjectName(QStringLiteral("historyCard"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto *header = new QHBoxLayout;
    header->setSpacing(4);
    auto *title = new QLabel(tr("Transcription").toUpper(), this);
    Theme::style(title, TextStyle::Caption2, Emphasis::Tertiary);
    header->addWidget(title);
    header->addStretch(1);
    m_older->setObjectName(QStringLiteral("olderButton"));
    header->addWidget(m_older);
    m_counter->setObjectName(QStringLiteral("historyCounter"));
    Theme::style(m_counter, TextStyle::Caption2, Emphasis::Tertiary);
    m_counter->setFont(Theme::monospacedDigitFont(TextStyle::Caption2));
    header->addWidget(m_counter);
    m_newer->setObjectName(QStringLiteral("newerButton"));
    header->addWidget(m_newer);
    layout->addLayout(header);

    // A transcript is the user's own words: never a translation key, never markup.
    m_transcript->setObjectName(QStringLiteral("transcript"));
    m_transcript->setMaximumLines(3);
    Theme::style(m_transcript, TextStyle::Callout, Emphasis::Secondary);
    m_transcript->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_transcript);

    m_copy->setObjectName(QStringLiteral("copyButton"));
    layout->addWidget(m_copy, 0, Qt::AlignLeft);

    connect(m_older, &BorderlessButton::clicked, &m_appState, &AppState::showOlderTranscription);
    connect(m_newer, &BorderlessButton::clicked, &m_appState, &AppState::showNewerTranscription);
    connect(m_copy, &BorderlessButton::clicked, this, &MenuBarHistoryCard::copyTranscription);
    connect(&m_appState, &AppState::transcriptionHistoryChanged, this,
            &MenuBarHistoryCard::refresh);
    connect(&m_appState, &AppState::historyIndexChanged, this, &MenuBarHistoryCard::refresh);
    refresh();
    refreshCopyButton();
}

void MenuBarHistoryCard::copyTranscription()
{
    platform::Pasteboard &pasteboard = *m_appState.services().pasteboard;
    pasteboard.clearContents();
    pasteboard.setString(m_appState.currentTranscription());
    setCopied(true);
    // Every press schedules its own reset and none is cancelled: the label turns back 1.5 s
    // after the first press.
    const QPointer<MenuBarHistoryCard> self(this);
    m_appState.services().scheduler->after(copiedSeconds, [self] {
        if (self)
            self->setCopied(false);
    });
}

void MenuBarHistoryCard::setCopied(bool copied)
{
    if (m_copied == copied)
        return;
    m_copied = copied;
    refreshCopyButton();
    FadeAnimation::fadeIn(m_copy, animationSeconds);
}

void MenuBarHistoryCard::refresh()
{
    const qsizetype count = m_appState.transcriptionHistory().size();
    const qint64 index = m_appState.historyIndex();
    const bool navigable = count >= 2;
    m_older->setVisible(navigable);
    m_counter->setVisible(navigable);
    m_newer->setVisible(navigable);
    m_older->setEnabled(index < count - 1);
    m_newer->setEnabled(index > 0);
    m_counter->setText(tr("%1/%2").arg(index + 1).arg(count));
    m_transcript->setFullText(m_appState.currentTranscription());
}

void MenuBarHistoryCard::refreshCopyButton()
{
    m_copy->setSymbol(m_copied ? QStringLiteral("checkmark.circle.fill")
                               : QStringLiteral("doc.on.doc"));
    m_copy->setText(m_copied ? tr("Copied!") : tr("Copy"));
    m_copy->setColor(m_copied ? ThemeColor(Theme::color(NamedColor::Green))
                              : ThemeColor(Emphasis::Secondary));
}

} // namespace ui
