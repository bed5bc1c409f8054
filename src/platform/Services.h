// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace platform {

class AudioInput;
class Bundle;
class CrashReporter;
class EventMonitors;
class HotKeyService;
class KeyEventPoster;
class Keyboard;
class LoginItem;
class Pasteboard;
class Paths;
class Permissions;
class Scheduler;
class ScriptRunner;
class SoundPlayer;
class Updater;
class UserDefaults;
class WindowSystem;
class Workspace;

// Owns one instance of every platform service for the life of the process. The program fills it
// with the Linux implementations; tests fill it with doubles. A member may stay empty only where
// the code under test does not use that service.
struct Services
{
    Services();
    ~Services();
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    std::unique_ptr<Scheduler> scheduler;
    std::unique_ptr<UserDefaults> userDefaults;
    std::unique_ptr<Bundle> bundle;
    std::unique_ptr<Paths> paths;
    std::unique_ptr<Permissions> permissions;
    std::unique_ptr<HotKeyService> hotKeys;
    std::unique_ptr<EventMonitors> eventMonitors;
    std::unique_ptr<KeyEventPoster> keyEventPoster;
    std::unique_ptr<ScriptRunner> scriptRunner;
    std::unique_ptr<Pasteboard> pasteboard;
    // What was last selected: the selection terminals such as xterm paste from.
    std::unique_ptr<Pasteboard> primarySelection;
    std::unique_ptr<Keyboard> keyboard;
    std::unique_ptr<AudioInput> audioInput;
    std::unique_ptr<SoundPlayer> soundPlayer;
    std::unique_ptr<LoginItem> loginItem;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<Updater> updater;
    std::unique_ptr<CrashReporter> crashReporter;
    std::unique_ptr<WindowSystem> windowSystem;
};

} // namespace platform
