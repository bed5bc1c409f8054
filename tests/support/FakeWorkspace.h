// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Workspace.h"

#include <QStringList>

namespace testsupport {

// Records every request as one line ("open https://…", "editor /path", "privacy Microphone",
// "activate", "about", "terminate"); `answer` is what the opening calls return.
class FakeWorkspace final : public platform::Workspace
{
public:
    bool openUrl(const QUrl &url) override
    {
        return record(QStringLiteral("open ") + url.toString());
    }
    bool openInTextEditor(const QString &filePath) override
    {
        return record(QStringLiteral("editor ") + filePath);
    }
    bool openPrivacySettings(PrivacyPane pane) override
    {
        static const char *const names[] = {"Microphone", "Accessibility", "InputMonitoring"};
        return record(QStringLiteral("privacy ") + QLatin1String(names[static_cast<int>(pane)]));
    }
    void activateApplication() override { record(QStringLiteral("activate")); }
    void showAboutPanel() override { record(QStringLiteral("about")); }
    void terminate() override { record(QStringLiteral("terminate")); }

    QStringList requests;
    bool answer = true;

private:
    bool record(const QString &request)
    {
        requests.append(request);
        return answer;
    }
};

} // namespace testsupport
