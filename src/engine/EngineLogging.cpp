// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineLogging.h"

Q_LOGGING_CATEGORY(lcApp, "parlovox.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAppState, "parlovox.appstate", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAudioRecorder, "parlovox.audiorecorder", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkeyManager, "parlovox.hotkeymanager", QtInfoMsg)
Q_LOGGING_CATEGORY(lcOnboarding, "parlovox.onboarding", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPasteManager, "parlovox.pastemanager", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRetryQueue, "parlovox.retryqueue", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSoundManager, "parlovox.soundmanager", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTranscription, "parlovox.transcription", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTranscriptionLogger, "parlovox.transcriptionlogger", QtInfoMsg)
