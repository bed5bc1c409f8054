// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Workspace.h"

#include <QMessageBox>
#include <QPointer>

namespace platform::linux_impl {

// The desktop through Qt: links and files go to the user's chosen applications, the settings
// panes to whichever sound or keyboard settings program the desktop has installed.
class DesktopWorkspace final : public Workspace
{
public:
    // `version` is shown in the About box.
    explicit DesktopWorkspace(QString version);
    ~DesktopWorkspace() override;

    bool openUrl(const QUrl &url) override;
    bool openInTextEditor(const QString &filePath) override;
    bool openPrivacySettings(PrivacyPane pane) override;
    void activateApplication() override;
    void showAboutPanel() override;
    void terminate() override;

private:
    QString m_version;
    QPointer<QMessageBox> m_about;
};

} // namespace platform::linux_impl
