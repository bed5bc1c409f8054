// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingPermissionsStep.h"

#include "engine/AppState.h"
#include "engine/AudioRecorder.h"
#include "engine/OnboardingPresenter.h"
#include "platform/Permissions.h"
#include "platform/Services.h"
#include "platform/Workspace.h"
#include "ui/OnboardingPermissionRow.h"
#include "ui/OnboardingStyle.h"
#include "ui/Symbols.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
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
    m_readyRow = new QWidget(this);
    auto *readyLayout = new QHBoxLayout(m_readyRow);
    readyLayout->setContentsMargins(0, 0, 0, 0);
    readyLayout->setSpacing(4);
    auto *readySymbol = new QLabel(Symbols::text(QStringLiteral("checkmark.circle.fill")));
    readySymbol->setFont(Symbols::font(14));
    Theme::style(readySymbol, TextStyle::Callout, Theme::color(NamedColor::Green));
    readySymbol->setFont(Symbols::font(14));
    m_readyLabel = new QLabel(permissionsOnly ? tr("Accessibility restored!")
                                              : tr("All permissions granted!"));
    Theme::style(m_readyLabel, TextStyle::Callout, Theme::color(NamedColor::Green));
    readyLayout->addStretch(1);
    readyLayout->addWidget(readySymbol);
    readyLayout->addWidget(m_readyLabel);
    readyLayout->addStretch(1);
    footer->addWidget(m_readyRow);
    m_mainButton = OnboardingStyle::prominentButton(permissionsOnly ? tr("Done") : tr("Continue"));
    m_mainButton->setParent(this);
    footer->addWidget(m_mainButton);
    layout->addLayout(footer);

    connect(m_microphoneRow, &OnboardingPermissionRow::buttonClicked, this,
            &OnboardingPermissionsStep::requestMicrophone);
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
    m_readyRow->setVisible(ready);
    m_mainButton->setEnabled(ready);
}

void OnboardingPermissionsStep::requestMicrophone()
{
    if (!m_appState)
        return;
    QPointer<OnboardingPermissionsStep> self(this);
    m_appState->services().permissions->requestMicrophoneAccess([self](bool granted) {
        // The answer may come before the request returns: act on it from the event loop.
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self,
            [self, granted] {
                if (!self || !self->m_appState)
                    return;
                AppState &appState = *self->m_appState;
                appState.setMicPermissionGranted(granted);
                if (granted)
                    appState.recorder().warmUp();
                if (platform::Workspace *workspace = appState.services().workspace.get())
                    workspace->activateApplication();
            },
            Qt::QueuedConnection);
    });
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
