// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingPermissionsStep.h"

#include "engine/AppState.h"
#include "engine/OnboardingPresenter.h"
#include "platform/Permissions.h"
#include "platform/Services.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/MicrophoneAccess.h"
#include "ui/kit/ProminentButton.h"
#include "ui/kit/Theme.h"
#include "ui/onboarding/OnboardingPermissionRow.h"
#include "ui/onboarding/OnboardingStyle.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

OnboardingPermissionsStep::OnboardingPermissionsStep(AppState &appState, bool permissionsOnly,
                                                     QWidget *parent)
    : QWidget(parent), m_appState(&appState), m_permissionsOnly(permissionsOnly)
{
    setFixedSize(400, 480);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(
        permissionsOnly
            ? OnboardingStyle::header(
                  QStringLiteral("arrow.triangle.2.circlepath"), tr("Permission Refresh"),
                  tr("After updating, Parlovox needs an X11\nsession with XTEST "
                     "to paste for you."),
                  28, 24)
            : OnboardingStyle::header(QStringLiteral("waveform"), tr("Parlovox"),
                                      tr("Speech to text, instantly.\nLet’s set up a couple of "
                                         "permissions."),
                                      28, 24));
    layout->addWidget(OnboardingStyle::divider());

    m_microphoneRow = new OnboardingPermissionRow(
        {tr("Microphone"), QStringLiteral("mic.fill"), Theme::color(NamedColor::Blue),
         tr("Required to record speech for transcription."), tr("Grant Access"), QString()},
        this);
    layout->addWidget(m_microphoneRow);
    layout->addWidget(OnboardingStyle::divider());
    m_accessibilityRow = new OnboardingPermissionRow(
        {tr("Accessibility"), QStringLiteral("hand.raised.fill"), Theme::color(NamedColor::Orange),
         tr("Required to paste transcriptions into your active app."), tr("Open Settings"),
         tr("Parlovox pastes through X11: choose an X11 session at login.")},
        this);
    layout->addWidget(m_accessibilityRow);
    layout->addWidget(OnboardingStyle::divider());
    layout->addStretch(1);

    auto *footer = new QVBoxLayout;
    footer->setContentsMargins(32, 0, 32, 24);
    footer->setSpacing(10);
    m_readyLabel = new IconLabel(QStringLiteral("checkmark.circle.fill"),
                                 permissionsOnly ? tr("Accessibility restored!")
                                                 : tr("All permissions granted!"),
                                 TextStyle::Callout, this);
    m_readyLabel->setColor(Theme::color(NamedColor::Green));
    m_readyLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    footer->addWidget(m_readyLabel, 0, Qt::AlignHCenter);
    m_mainButton =
        new ProminentButton(permissionsOnly ? tr("Done") : tr("Continue"),
                            OnboardingStyle::accent(), 14, ProminentButton::Size::Large, this);
    footer->addWidget(m_mainButton);
    layout->addLayout(footer);

    connect(m_microphoneRow, &OnboardingPermissionRow::buttonClicked, this, [this] {
        if (m_appState)
            MicrophoneAccess::request(*m_appState);
    });
    connect(m_accessibilityRow, &OnboardingPermissionRow::buttonClicked, this, [this] {
        // Asks the system to prompt; the row follows AppState once access is granted.
        if (m_appState)
            m_appState->services().permissions->isProcessTrustedWithPrompt();
    });
    connect(m_mainButton, &QPushButton::clicked, this, &OnboardingPermissionsStep::finish);
    connect(&appState, &AppState::micPermissionGrantedChanged, this,
            &OnboardingPermissionsStep::refresh);
    connect(&appState, &AppState::accessibilityGrantedChanged, this,
            &OnboardingPermissionsStep::refresh);
    refresh();
}

void OnboardingPermissionsStep::refresh()
{
    if (!m_appState)
        return;
    const bool microphone = m_appState->micPermissionGranted();
    const bool accessibility = m_appState->accessibilityGranted();
    m_microphoneRow->setGranted(microphone);
    m_accessibilityRow->setGranted(accessibility);
    const bool ready = m_permissionsOnly ? accessibility : microphone && accessibility;
    m_readyLabel->setVisible(ready);
    m_mainButton->setEnabled(ready);
}

void OnboardingPermissionsStep::finish()
{
    if (!m_appState)
        return;
    if (!m_permissionsOnly) {
        emit continueRequested();
        return;
    }
    if (OnboardingPresenter *window = m_appState->onboardingWindow())
        window->dismiss();
    m_appState->setOnboardingWindow(nullptr);
}

} // namespace ui
