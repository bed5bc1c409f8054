// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// The desktop around the program: opening links and files, activation, quitting.
class Workspace
{
public:
    virtual ~Workspace() = default;

    // Opens a web link or a settings location; false when nothing could handle it.
    virtual bool openUrl(const QUrl &url) = 0;
    // Opens a file in the user's text editor.
    virtual bool openInTextEditor(const QString &filePath) = 0;
    virtual void activateApplication() = 0;
    virtual void showAboutPanel() = 0;
    virtual void terminate() = 0;
};

} // namespace platform
