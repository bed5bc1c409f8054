// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// The desktop around the program: opening links, files and the desktop's own settings,
// activation, the About box, quitting.
class Workspace
{
public:
    // The settings a missing permission is granted in.
    enum class PrivacyPane { Microphone, Accessibility, InputMonitoring };

    virtual ~Workspace() = default;

    // Opens a web link; false when nothing could handle it.
    virtual bool openUrl(const QUrl &url) = 0;
    // Opens a file in the user's text editor.
    virtual bool openInTextEditor(const QString &filePath) = 0;
    // Opens the desktop's sound or keyboard settings for `pane` where such a program is installed;
    // false (and logged) when there is none.
    virtual bool openPrivacySettings(PrivacyPane pane) = 0;
    virtual void activateApplication() = 0;
    virtual void showAboutPanel() = 0;
    virtual void terminate() = 0;
};

} // namespace platform
