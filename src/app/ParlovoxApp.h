// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class AppState;
class UpdaterManager;

namespace ui {
class ApplicationScenes;
}

namespace platform {
struct Services;
}

// The application object: owns the one AppState and the one UpdaterManager, starts crash
// reporting and, once the event loop runs, the deferred start-up. The tray and the settings
// window reach the engine through it.
class ParlovoxApp final : public QObject
{
    Q_OBJECT

public:
    // Seconds after the event loop starts at which the deferred start-up runs if the tray has
    // not run it already.
    static constexpr double lateInitFallbackSeconds = 0.5;

    // `services` must outlive the application object.
    explicit ParlovoxApp(platform::Services &services, QObject *parent = nullptr);
    ~ParlovoxApp() override;

    AppState &appState() const { return *m_appState; }
    // Made on first use, then kept for the life of the application object.
    UpdaterManager &updaterManager();
    platform::Services &services() const { return m_services; }

    // Puts up the tray icon (and with it the tray window and the settings window). Its first
    // showing runs the deferred start-up, unless the fallback did so already.
    void showScenes();
    // Null until showScenes().
    ui::ApplicationScenes *scenes() const { return m_scenes.get(); }

private:
    // Tells AppState how to make the floating indicator and the onboarding window.
    void installWindowFactories();
    void startCrashReporting();
    // Keeps the recorder from taking the keystroke the program posts to paste.
    static void reservePasteShortcut();

    platform::Services &m_services;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<UpdaterManager> m_updaterManager;
    std::unique_ptr<ui::ApplicationScenes> m_scenes;
};
