// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RecordingState.h"
#include "platform/FnKeyAccess.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AudioRecorder;
class FloatingIndicator;
class HotkeyManager;
class OnboardingPresenter;
class PasteManager;
class RetryQueueManager;
class SoundManager;
class TranscriptionLogger;
class TranscriptionService;
class HttpClient;

namespace platform {
struct Services;
class TimerHandle;
} // namespace platform

// The one observable model of the dictation engine: the recording state machine, the recent
// transcripts, every user setting, the permission and server-health flags the windows show, and
// the engine services, windows and timers it owns. Main thread only. Every setter stores an equal
// value silently and emits its change signal only on a real change (NaN counts as different);
// useFnKey and launchAtLogin also run their after-change action on every assignment.
//
// The implementation spans AppState.cpp (initialiser and settings), AppStateProperties.cpp,
// AppStateDictation.cpp, AppStateMonitoring.cpp and AppStateStartup.cpp.
class AppState final : public QObject
{
    Q_OBJECT

public:
    // Used when the settings hold no server URL: a speech server on this machine.
    static const QString defaultServerURL;
    static constexpr int historyLimit = 50;
    static constexpr double transcriptionTimeoutSeconds = 30.0;
    static constexpr double errorResetSeconds = 3.0;
    static constexpr double discardFlashSeconds = 1.0;
    static constexpr double recordingWarningLeadSeconds = 10.0;
    static constexpr double healthCheckIntervalSeconds = 30.0;
    // The probe's limit for an idle server and for the whole exchange.
    static constexpr double healthProbeTimeoutSeconds = 60.0;

    // How the application creates the windows AppState holds, so the engine needs no widgets.
    struct WindowFactories
    {
        std::function<std::unique_ptr<FloatingIndicator>(AppState &)> floatingIndicator;
        std::function<std::unique_ptr<OnboardingPresenter>(AppState &, bool permissionsOnly)>
            onboardingWindow;
    };

    // Reads the settings, creates the services, reads the seed file on the first launch, reads
    // the permissions and builds the retry queue. `services` must outlive AppState. Without an
    // `http` client, AppState makes its own.
    explicit AppState(platform::Services &services, HttpClient *http = nullptr,
                      QObject *parent = nullptr);
    // A recording whose upload is still in flight goes to the retry queue, so quitting never
    // loses it; every request still running then ends.
    ~AppState() override;

    // --- observed properties, in the order of the model ---
    RecordingState state() const { return m_state; }
    void setState(const RecordingState &state);
    QStringList transcriptionHistory() const { return m_transcriptionHistory; }
    qint64 historyIndex() const { return m_historyIndex; }
    float currentAudioLevel() const { return m_currentAudioLevel; }
    void setCurrentAudioLevel(float level);
    QString serverURL() const { return m_serverURL; }
    void setServerURL(const QString &url);
    bool autoPaste() const { return m_autoPaste; }
    void setAutoPaste(bool autoPaste);
    QString language() const { return m_language; }
    void setLanguage(const QString &language);
    QString prompt() const { return m_prompt; }
    void setPrompt(const QString &prompt);
    QSet<QString> enabledPresets() const { return m_enabledPresets; }
    void setEnabledPresets(const QSet<QString> &presets);
    bool useFnKey() const { return m_useFnKey; }
    // Also reconfigures the trigger, whenever one exists, on every assignment.
    void setUseFnKey(bool useFnKey);
    double minimumRecordingDuration() const { return m_minimumRecordingDuration; }
    void setMinimumRecordingDuration(double seconds);
    double maxRecordingDuration() const { return m_maxRecordingDuration; }
    void setMaxRecordingDuration(double seconds);
    bool serverReachable() const { return m_serverReachable; }
    void setServerReachable(bool reachable);
    bool accessibilityGranted() const { return m_accessibilityGranted; }
    void setAccessibilityGranted(bool granted);
    bool micPermissionGranted() const { return m_micPermissionGranted; }
    void setMicPermissionGranted(bool granted);
    bool fnKeyConflict() const { return m_fnKeyConflict; }
    void setFnKeyConflict(bool conflict);
    // Whether the Fn key can work here at all: some input device this user may read reports
    // it; if not, why. Followed for as long as AppState lives.
    platform::FnKeyAccess fnKeyAccess() const { return m_fnKeyAccess; }
    void setFnKeyAccess(platform::FnKeyAccess access);
    bool fnKeyAvailable() const { return m_fnKeyAccess == platform::FnKeyAccess::seen; }
    // Whether a live transcript goes into the front application: never during onboarding's test.
    bool pastesTranscripts() const { return m_autoPaste && m_onboardingComplete; }
    bool showDiscardedFlash() const { return m_showDiscardedFlash; }
    void setShowDiscardedFlash(bool show);
    bool onboardingComplete() const { return m_onboardingComplete; }
    void setOnboardingComplete(bool complete);
    std::optional<QDateTime> recordingStartTime() const { return m_recordingStartTime; }
    void setRecordingStartTime(const std::optional<QDateTime> &time);
    bool launchAtLogin() const { return m_launchAtLogin; }
    // Registers or unregisters the login item on every assignment; a refusal is logged and the
    // old value is put back (trying the service once more for it).
    void setLaunchAtLogin(bool enabled);

    // --- owned services, windows and timers ---
    AudioRecorder &recorder() const { return *m_recorder; }
    TranscriptionService &transcriptionService() const { return *m_transcriptionService; }
    PasteManager &pasteManager() const { return *m_pasteManager; }
    SoundManager &soundManager() const { return *m_soundManager; }
    TranscriptionLogger &logger() const { return *m_logger; }
    HotkeyManager *hotkeyManager() const { return m_hotkeyManager.get(); }
    void setHotkeyManager(std::unique_ptr<HotkeyManager> manager);
    RetryQueueManager *retryQueueManager() const { return m_retryQueueManager.get(); }
    FloatingIndicator *floatingIndicator() const { return m_floatingIndicator.get(); }
    void setFloatingIndicator(std::unique_ptr<FloatingIndicator> indicator);
    OnboardingPresenter *onboardingWindow() const { return m_onboardingWindow.get(); }
    // Dropping the window (nullptr) destroys it.
    void setOnboardingWindow(std::unique_ptr<OnboardingPresenter> window);
    const WindowFactories &windowFactories() const { return m_windowFactories; }
    void setWindowFactories(WindowFactories factories) { m_windowFactories = std::move(factories); }
    bool didLateInit() const { return m_didLateInit; }
    void setDidLateInit(bool done) { m_didLateInit = done; }
    bool hasPermissionCheckTimer() const { return m_permissionCheckTimer != nullptr; }
    bool hasHealthCheckTimer() const { return m_healthCheckTimer != nullptr; }
    bool hasRecordingWarningTimer() const { return m_recordingWarningTimer != nullptr; }
    bool hasRecordingLimitTimer() const { return m_recordingLimitTimer != nullptr; }
    platform::Services &services() const { return m_services; }

    // --- settings, history and labels ---
    // The Info value "PVXAppSecret", or empty; read once, on first use.
    QString appSecret() const;
    // The custom words and the enabled presets' words, as sent with every upload.
    QString buildPrompt() const;
    // Empty when the history is empty, else the entry at historyIndex.
    QString currentTranscription() const;
    void addToHistory(const QString &text);
    void showOlderTranscription();
    void showNewerTranscription();
    // The menu-bar symbol for the current state, queue and server health.
    QString menuBarIconName() const;
    // Writes the eight user settings.
    void saveSettings();
    void checkFnKeyConflict();
    void followFnKeyAvailability();

    // --- dictation cycle ---
    void startRecording();
    void stopRecording();
    void flashDiscarded();
    // Whether a transcript waits for its paste: while the trigger is held our own grab would take
    // the paste chord, and a window of ours that made way may still have the focus.
    bool isPasteWaiting() const { return m_awaitingPaste.has_value(); }
    // Keeps a due paste back until released; for a window of ours that makes way for it.
    void holdPaste(QObject *holder);
    void releasePaste(QObject *holder);
    // Whether a failed upload is worth keeping for a retry.
    static bool isRetryableError(const std::exception_ptr &error);

    // --- start-up ---
    // The deferred start-up, once the application has finished launching: permissions, the
    // trigger, the health check, the floating indicator and, when needed, the onboarding window.
    // Runs once; later calls return at once.
    void lateInit();

    // --- permissions, login item, server health, level ---
    void startPermissionMonitoring();
    void refreshPermissions();
    void requestMicrophonePermission();
    void resetAccessibilityPermission();
    void startHealthCheck();
    // One probe of serverURL + "/health"; may be awaited (the settings' "Check" button does).
    QCoro::Task<> checkServerHealth();
    // The recorder's level callback: smooths the new level into currentAudioLevel.
    void handleAudioLevel(float level);
    // Ends onboarding: marks it complete, drops its window, asks for event posting and warms up
    // the microphone.
    void completeOnboarding();

Q_SIGNALS:
    void stateChanged();
    void transcriptionHistoryChanged();
    void historyIndexChanged();
    void currentAudioLevelChanged();
    void serverURLChanged();
    void autoPasteChanged();
    void languageChanged();
    void promptChanged();
    void enabledPresetsChanged();
    void useFnKeyChanged();
    void minimumRecordingDurationChanged();
    void maxRecordingDurationChanged();
    void serverReachableChanged();
    void accessibilityGrantedChanged();
    void micPermissionGrantedChanged();
    void fnKeyConflictChanged();
    void fnKeyAccessChanged();
    void showDiscardedFlashChanged();
    void onboardingCompleteChanged();
    void recordingStartTimeChanged();
    void launchAtLoginChanged();
    void hotkeyManagerChanged();
    void floatingIndicatorChanged();
    void onboardingWindowChanged();
    // A transcript is about to be pasted into the focused window: a window of ours holding the
    // focus makes way (and may hold the paste until the focus is elsewhere).
    void pasteDue();

private:
    void readSettings();
    void loadSeedDefaults();
    void createRetryQueue();
    void setHistoryIndex(qint64 index);
    // Settles what a kill left while a recording was being given up (see RecordingRelease).
    void settleReleasedRecordings();
    // Hands the temporary recordings of earlier runs that hold audio to the retry queue and
    // removes the others.
    void recoverStaleRecordings();
    // Creates the onboarding window (or the permissions-only one) through its factory and shows it.
    void openOnboardingWindow(bool permissionsOnly);
    void applyLaunchAtLogin(bool enabled, bool mayRevert);
    void readClipboardAhead();
    // The recording cannot be written (no file, a full disk): it ends now, its file is dropped
    // rather than delivered without the rest of what was said, and the user sees why.
    void recordingFailed(const QString &reason);
    QCoro::Task<> transcribeRecording(QString filePath, QDateTime startedAt);
    void finishWithTranscript(const QString &filePath, const QString &text, qint64 durationMs);
    void pasteWhenFree();
    void completeTranscript(const QString &filePath, const QString &text, qint64 durationMs,
                            bool pastes);
    void finishWithFailure(const QString &filePath, const std::exception_ptr &error,
                           qint64 durationMs);
    void scheduleErrorReset();

    platform::Services &m_services;
    HttpClient *m_http = nullptr;
    // The recording of the live upload in flight, handed to the queue if AppState goes first.
    std::optional<QString> m_uploadingRecording;
    // Shared with the retry queue's getter, which must work without AppState.
    std::shared_ptr<std::optional<QString>> m_appSecret;

    RecordingState m_state;
    // Between the start and the end of stopping the recorder.
    bool m_stoppingRecording = false;
    struct AwaitingPaste
    {
        QString filePath;
        QString text;
        qint64 durationMs = 0;
    };
    std::optional<AwaitingPaste> m_awaitingPaste;
    QList<QPointer<QObject>> m_pasteHolders;
    QStringList m_transcriptionHistory;
    qint64 m_historyIndex = 0;
    float m_currentAudioLevel = 0;
    QString m_serverURL;
    bool m_autoPaste = true;
    QString m_language;
    QString m_prompt;
    QSet<QString> m_enabledPresets;
    bool m_useFnKey = true;
    double m_minimumRecordingDuration = 0.75;
    double m_maxRecordingDuration = 300.0;
    bool m_serverReachable = false;
    bool m_accessibilityGranted = false;
    bool m_micPermissionGranted = false;
    bool m_fnKeyConflict = false;
    platform::FnKeyAccess m_fnKeyAccess = platform::FnKeyAccess::noKeyboard;
    bool m_showDiscardedFlash = false;
    bool m_onboardingComplete = false;
    std::optional<QDateTime> m_recordingStartTime;
    bool m_launchAtLogin = false;
    std::unique_ptr<AudioRecorder> m_recorder;
    std::unique_ptr<TranscriptionService> m_transcriptionService;
    std::unique_ptr<PasteManager> m_pasteManager;
    std::unique_ptr<SoundManager> m_soundManager;
    std::unique_ptr<TranscriptionLogger> m_logger;
    std::unique_ptr<HotkeyManager> m_hotkeyManager;
    std::unique_ptr<RetryQueueManager> m_retryQueueManager;
    std::unique_ptr<FloatingIndicator> m_floatingIndicator;
    std::unique_ptr<OnboardingPresenter> m_onboardingWindow;
    std::unique_ptr<platform::TimerHandle> m_healthCheckTimer;
    std::unique_ptr<platform::TimerHandle> m_permissionCheckTimer;
    std::unique_ptr<platform::TimerHandle> m_recordingWarningTimer;
    std::unique_ptr<platform::TimerHandle> m_recordingLimitTimer;
    bool m_didLateInit = false;

    WindowFactories m_windowFactories;
};
