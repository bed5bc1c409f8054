// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingTryItStep.h"

#include "GlobalShortcuts/Recorder.h"
#include "engine/AppState.h"
#include "engine/HotkeyManager.h"
#include "ui/kit/ProminentButton.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/kit/Theme.h"
#include "ui/onboarding/OnboardingStatusArea.h"
#include "ui/onboarding/OnboardingStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

OnboardingTryItStep::OnboardingTryItStep(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(&appState)
{
    setFixedSize(400, 480);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(OnboardingStyle::header(QStringLiteral("waveform"), tr("Try it out!"),
                                              QString(), 28, 20, &m_subtitle));
    layout->addWidget(OnboardingStyle::divider());

    auto *choice = new QVBoxLayout;
    choice->setContentsMargins(32, 12, 32, 0);
    choice->setSpacing(8);
    m_picker = new ShortcutModePicker(appState, tr("Shortcut"), this);
    choice->addWidget(m_picker, 0, Qt::AlignHCenter);
    m_fnConflict = new QLabel(this);
    m_fnConflict->setWordWrap(true);
    m_fnConflict->setAlignment(Qt::AlignCenter);
    Theme::style(m_fnConflict, TextStyle::Caption2, Theme::color(NamedColor::Orange));
    choice->addWidget(m_fnConflict);
    m_recorder = new GlobalShortcuts::Recorder(QString(), HotkeyManager::shortcutName(), {}, this);
    choice->addWidget(m_recorder, 0, Qt::AlignHCenter);
    m_recorderHint = new QLabel(tr("Click to record — must include ⌘, ⌥, ⌃, or ⇧"), this);
    m_recorderHint->setAlignment(Qt::AlignCenter);
    Theme::style(m_recorderHint, TextStyle::Caption2, Emphasis::Tertiary);
    choice->addWidget(m_recorderHint);
    layout->addLayout(choice);

    m_status = new OnboardingStatusArea(appState, this);
    layout->addWidget(m_status);
    layout->addStretch(1);

    auto *footer = new QVBoxLayout;
    footer->setContentsMargins(32, 0, 32, 24);
    m_finish = new ProminentButton(tr("Finish Setup"), OnboardingStyle::accent(), 14,
                                   ProminentButton::Size::Large, this);
    footer->addWidget(m_finish);
    layout->addLayout(footer);

    connect(m_finish, &QPushButton::clicked, this, [this] {
        if (m_appState)
            m_appState->completeOnboarding();
    });
    connect(&appState, &AppState::useFnKeyChanged, this, &OnboardingTryItStep::refresh);
    connect(&appState, &AppState::fnKeyAccessChanged, this, &OnboardingTryItStep::refresh);
    refresh();
}

void OnboardingTryItStep::refresh()
{
    if (!m_appState)
        return;
    const bool useFnKey = m_appState->useFnKey();
    m_subtitle->setText(OnboardingStyle::withBold(
        useFnKey ? tr("Hold **Fn** and say “hello”") : tr("Hold your shortcut and say “hello”")));
    // Exactly when holding Fn cannot start anything here.
    m_fnConflict->setVisible(useFnKey && !m_appState->fnKeyAvailable());
    m_fnConflict->setText(m_appState->fnKeyAccess() == platform::FnKeyAccess::notPermitted
                              ? tr("Fn key can’t be read — join the “input” group, then log in "
                                   "again")
                              : tr("No keyboard here reports an Fn key — choose Custom"));
    m_recorder->setVisible(!useFnKey);
    m_recorderHint->setVisible(!useFnKey);
}

} // namespace ui
