// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/MicrophoneAccess.h"

#include "engine/AppState.h"
#include "engine/AudioRecorder.h"
#include "platform/Permissions.h"
#include "platform/Services.h"
#include "platform/Workspace.h"

#include <QPointer>

namespace ui {

void MicrophoneAccess::request(AppState &appState)
{
    const QPointer<AppState> model(&appState);
    appState.services().permissions->requestMicrophoneAccess([model](bool granted) {
        if (!model)
            return;
        model->setMicPermissionGranted(granted);
        if (granted)
            model->recorder().warmUp();
        if (platform::Workspace *workspace = model->services().workspace.get())
            workspace->activateApplication();
    });
}

} // namespace ui
