// SPDX-License-Identifier: GPL-3.0-or-later
// AppState: the observed setters. Each stores an equal value without notifying; a float or
// double NaN never compares equal, so assigning NaN always notifies.
#include "AppState.h"

#include "engine/FloatingIndicator.h"
#include "engine/HotkeyManager.h"
#include "engine/OnboardingPresenter.h"

namespace {

// Stores `value` and answers whether observers must hear of it.
template <typename T> bool store(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

#define PARLOVOX_OBSERVED_SETTER(Type, name, Name)                                                 \
    void AppState::set##Name(Type value)                                                           \
    {                                                                                              \
        if (store(m_##name, value))                                                                \
            Q_EMIT name##Changed();                                                                \
    }

PARLOVOX_OBSERVED_SETTER(const RecordingState &, state, State)
PARLOVOX_OBSERVED_SETTER(float, currentAudioLevel, CurrentAudioLevel)
PARLOVOX_OBSERVED_SETTER(const QString &, serverURL, ServerURL)
PARLOVOX_OBSERVED_SETTER(bool, autoPaste, AutoPaste)
PARLOVOX_OBSERVED_SETTER(const QString &, language, Language)
PARLOVOX_OBSERVED_SETTER(const QString &, prompt, Prompt)
PARLOVOX_OBSERVED_SETTER(const QSet<QString> &, enabledPresets, EnabledPresets)
PARLOVOX_OBSERVED_SETTER(double, minimumRecordingDuration, MinimumRecordingDuration)
PARLOVOX_OBSERVED_SETTER(double, maxRecordingDuration, MaxRecordingDuration)
PARLOVOX_OBSERVED_SETTER(bool, serverReachable, ServerReachable)
PARLOVOX_OBSERVED_SETTER(bool, accessibilityGranted, AccessibilityGranted)
PARLOVOX_OBSERVED_SETTER(bool, micPermissionGranted, MicPermissionGranted)
PARLOVOX_OBSERVED_SETTER(bool, fnKeyConflict, FnKeyConflict)
PARLOVOX_OBSERVED_SETTER(platform::FnKeyAccess, fnKeyAccess, FnKeyAccess)
PARLOVOX_OBSERVED_SETTER(bool, showDiscardedFlash, ShowDiscardedFlash)
PARLOVOX_OBSERVED_SETTER(bool, onboardingComplete, OnboardingComplete)
PARLOVOX_OBSERVED_SETTER(const std::optional<QDateTime> &, recordingStartTime, RecordingStartTime)
PARLOVOX_OBSERVED_SETTER(qint64, historyIndex, HistoryIndex)

#undef PARLOVOX_OBSERVED_SETTER

void AppState::setUseFnKey(bool useFnKey)
{
    if (store(m_useFnKey, useFnKey))
        Q_EMIT useFnKeyChanged();
    // Also on an equal value: the trigger is brought in line with the setting every time.
    if (m_hotkeyManager)
        m_hotkeyManager->configure(useFnKey);
}

void AppState::setLaunchAtLogin(bool enabled)
{
    applyLaunchAtLogin(enabled, true);
}

void AppState::setHotkeyManager(std::unique_ptr<HotkeyManager> manager)
{
    if (manager.get() == m_hotkeyManager.get())
        return;
    m_hotkeyManager = std::move(manager);
    // A paste held back for the trigger goes once it is let go (or the manager is gone).
    if (m_hotkeyManager)
        connect(m_hotkeyManager.get(), &HotkeyManager::triggerHeldChanged, this,
                &AppState::pasteWhenFree);
    pasteWhenFree();
    Q_EMIT hotkeyManagerChanged();
}

void AppState::setFloatingIndicator(std::unique_ptr<FloatingIndicator> indicator)
{
    if (indicator.get() == m_floatingIndicator.get())
        return;
    m_floatingIndicator = std::move(indicator);
    Q_EMIT floatingIndicatorChanged();
}

void AppState::setOnboardingWindow(std::unique_ptr<OnboardingPresenter> window)
{
    if (window.get() == m_onboardingWindow.get())
        return;
    // Observers hear of the change while the old window still exists, then it goes.
    std::unique_ptr<OnboardingPresenter> old = std::exchange(m_onboardingWindow, std::move(window));
    Q_EMIT onboardingWindowChanged();
}
