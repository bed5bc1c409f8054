// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarStateRow.h"

#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Storage.h"
#include "engine/AppState.h"
#include "engine/HotkeyManager.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/FadeAnimation.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/ProgressSpinner.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ui {

MenuBarStateRow::MenuBarStateRow(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState),
      m_idle(new IconLabel(QStringLiteral("waveform"), tr("Hold shortcut to talk"),
                           TextStyle::Callout, this)),
      m_shortcutInactive(new IconLabel(QStringLiteral("exclamationmark.triangle.fill"),
                                       tr("Shortcut not active — another program holds it"),
                                       TextStyle::Callout, this)),
      m_fnUnavailable(new IconLabel(QStringLiteral("exclamationmark.triangle.fill"), QString(),
                                    TextStyle::Callout, this)),
      m_recording(new IconLabel(QStringLiteral("waveform.circle.fill"), tr("Recording…"),
                                TextStyle::Callout, this)),
      m_processing(new QWidget(this)),
      m_error(new IconLabel(QStringLiteral("exclamationmark.triangle.fill"), QString(),
                            TextStyle::Caption, this))
{
    setObjectName(QStringLiteral("stateRow"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_idle->setObjectName(QStringLiteral("idleLabel"));
    m_idle->setColor(Emphasis::Secondary);
    layout->addWidget(m_idle);

    m_shortcutInactive->setObjectName(QStringLiteral("shortcutInactiveLabel"));
    m_shortcutInactive->setSymbolColor(Theme::color(NamedColor::Orange));
    layout->addWidget(m_shortcutInactive);

    m_fnUnavailable->setObjectName(QStringLiteral("fnUnavailableLabel"));
    m_fnUnavailable->setSymbolColor(Theme::color(NamedColor::Orange));
    layout->addWidget(m_fnUnavailable);

    m_recording->setObjectName(QStringLiteral("recordingLabel"));
    m_recording->setColor(Theme::color(NamedColor::Red));
    layout->addWidget(m_recording);

    m_processing->setObjectName(QStringLiteral("processingRow"));
    auto *processing = new QHBoxLayout(m_processing);
    processing->setContentsMargins(0, 0, 0, 0);
    processing->setSpacing(6);
    processing->addWidget(new ProgressSpinner(14, m_processing));
    auto *transcribing = new QLabel(tr("Transcribing…"), m_processing);
    Theme::style(transcribing, TextStyle::Callout);
    processing->addWidget(transcribing);
    processing->addStretch(1);
    layout->addWidget(m_processing);

    // The message is the engine's or the server's own text: shown as it is, never translated.
    m_error->setObjectName(QStringLiteral("errorLabel"));
    m_error->setSymbolColor(Theme::color(NamedColor::Red));
    m_error->textLabel()->setMaximumLines(2);
    layout->addWidget(m_error);

    // Keyed to the state alone: other properties never start the fade.
    connect(&m_appState, &AppState::stateChanged, this, [this] {
        refresh();
        FadeAnimation::fadeIn(this, animationSeconds);
    });
    connect(&m_appState, &AppState::useFnKeyChanged, this, &MenuBarStateRow::refresh);
    connect(&m_appState, &AppState::fnKeyAccessChanged, this, &MenuBarStateRow::refresh);
    if (auto *shortcuts = GlobalShortcuts::ModuleContext::installed()) {
        connect(&shortcuts->notifier(), &GlobalShortcuts::Notifier::registrationRefusalDidChange,
                this, &MenuBarStateRow::refresh);
        connect(&shortcuts->notifier(), &GlobalShortcuts::Notifier::shortcutByNameDidChange, this,
                &MenuBarStateRow::refresh);
    }
    refresh();
}

void MenuBarStateRow::refresh()
{
    const RecordingState state = m_appState.state();
    const bool shortcutInactive =
        !m_appState.useFnKey() && GlobalShortcuts::ModuleContext::installed() &&
        GlobalShortcuts::isRefusedByDesktop(HotkeyManager::shortcutName());
    // Holding Fn does nothing where it cannot be seen: the row does not invite it.
    const bool fnUnavailable = m_appState.useFnKey() && !m_appState.fnKeyAvailable();
    m_idle->setVisible(state.isIdle() && !shortcutInactive && !fnUnavailable);
    m_shortcutInactive->setVisible(state.isIdle() && shortcutInactive);
    m_fnUnavailable->setVisible(state.isIdle() && fnUnavailable);
    if (fnUnavailable)
        m_fnUnavailable->setText(m_appState.fnKeyAccess() == platform::FnKeyAccess::notPermitted
                                     ? tr("Fn key can’t be read — join the “input” group")
                                     : tr("No keyboard here has an Fn key — set a shortcut"));
    m_recording->setVisible(state.isRecording());
    m_processing->setVisible(state.isProcessing());
    m_error->setVisible(state.isError());
    if (state.isError())
        m_error->setText(state.message());
}

} // namespace ui
