// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace platform {
class Permissions;
class Workspace;
} // namespace platform

namespace ui {

class PermissionCard;

// The two permissions dictation depends on, queried and requested through the platform itself:
// the microphone (to record) and Accessibility (to paste).
class PermissionsTab final : public QWidget
{
    Q_OBJECT

public:
    PermissionsTab(platform::Permissions &permissions, platform::Workspace &workspace,
                   QWidget *parent = nullptr);

    PermissionCard &microphoneCard() const { return *m_microphone; }
    PermissionCard &accessibilityCard() const { return *m_accessibility; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void requestMicrophone();
    void requestPostEventAccess();
    // Accessibility is asked afresh, the microphone card keeps the answer it was given.
    void refresh();

    platform::Permissions &m_permissions;
    platform::Workspace &m_workspace;
    bool m_micGranted;
    PermissionCard *m_microphone;
    PermissionCard *m_accessibility;
};

} // namespace ui
