// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/PermissionsTab.h"

#include "ui/kit/SectionHeader.h"
#include "ui/kit/Theme.h"
#include "ui/settings/PermissionCard.h"

#include "platform/Permissions.h"
#include "platform/Workspace.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace ui {

PermissionsTab::PermissionsTab(platform::Permissions &permissions, platform::Workspace &workspace,
                               QWidget *parent)
    : QWidget(parent), m_permissions(permissions), m_workspace(workspace),
      m_micGranted(permissions.microphoneAuthorized())
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(20);
    stack->setAlignment(Qt::AlignTop);
    stack->addWidget(
        new SectionHeader(tr("Required Permissions"), QStringLiteral("lock.shield"), this));

    m_microphone = new PermissionCard(tr("Microphone"), QStringLiteral("mic.fill"), this);
    connect(m_microphone, &PermissionCard::requestClicked, this,
            &PermissionsTab::requestMicrophone);
    connect(m_microphone, &PermissionCard::openSettingsClicked, this, [this] {
        // The workspace logs which programs it tried.
        if (!m_workspace.openPrivacySettings(platform::Workspace::PrivacyPane::Microphone))
            m_microphone->showOpenSettingsFailure(tr("No sound settings program is installed"));
    });
    stack->addWidget(m_microphone);

    m_accessibility =
        new PermissionCard(tr("Accessibility (Paste)"), QStringLiteral("hand.raised.fill"), this);
    connect(m_accessibility, &PermissionCard::requestClicked, this,
            &PermissionsTab::requestPostEventAccess);
    connect(m_accessibility, &PermissionCard::openSettingsClicked, this, [this] {
        if (!m_workspace.openPrivacySettings(platform::Workspace::PrivacyPane::Accessibility))
            m_accessibility->showOpenSettingsFailure(
                tr("No keyboard settings program is installed"));
    });
    stack->addWidget(m_accessibility);

    auto *note = new QLabel(tr("After granting, you may need to restart the app."), this);
    Theme::style(note, TextStyle::Caption, Emphasis::Secondary);
    stack->addWidget(note);
    refresh();
}

void PermissionsTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void PermissionsTab::requestMicrophone()
{
    QPointer<PermissionsTab> self(this);
    // The answer may come before this returns or long after the window has closed.
    m_permissions.requestMicrophoneAccess([self](bool granted) {
        if (!self)
            return;
        self->m_micGranted = granted;
        self->refresh();
    });
}

void PermissionsTab::requestPostEventAccess()
{
    if (!m_permissions.preflightPostEventAccess())
        m_permissions.requestPostEventAccess();
    refresh();
}

void PermissionsTab::refresh()
{
    m_microphone->setGranted(m_micGranted);
    m_accessibility->setGranted(m_permissions.isProcessTrusted());
}

} // namespace ui
