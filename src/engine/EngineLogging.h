// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// One category per engine component; messages carry the component's bracketed tag as well.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcAppState)
Q_DECLARE_LOGGING_CATEGORY(lcAudioRecorder)
Q_DECLARE_LOGGING_CATEGORY(lcHotkeyManager)
Q_DECLARE_LOGGING_CATEGORY(lcOnboarding)
Q_DECLARE_LOGGING_CATEGORY(lcPasteManager)
Q_DECLARE_LOGGING_CATEGORY(lcRetryQueue)
Q_DECLARE_LOGGING_CATEGORY(lcSoundManager)
Q_DECLARE_LOGGING_CATEGORY(lcTranscription)
Q_DECLARE_LOGGING_CATEGORY(lcTranscriptionLogger)
