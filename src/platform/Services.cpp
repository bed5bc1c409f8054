// SPDX-License-Identifier: GPL-3.0-or-later
#include "Services.h"

#include "AudioInput.h"
#include "Bundle.h"
#include "CrashReporter.h"
#include "EventMonitors.h"
#include "HotKeyService.h"
#include "KeyEventPoster.h"
#include "Keyboard.h"
#include "LoginItem.h"
#include "Pasteboard.h"
#include "Paths.h"
#include "Permissions.h"
#include "Scheduler.h"
#include "ScriptRunner.h"
#include "SoundPlayer.h"
#include "Updater.h"
#include "UserDefaults.h"
#include "WindowSystem.h"
#include "Workspace.h"

namespace platform {

Services::Services() = default;
Services::~Services() = default;

} // namespace platform
