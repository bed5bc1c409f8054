// SPDX-License-Identifier: GPL-3.0-or-later
// AppState: the initialiser, the settings, the seed file, the history and the menu-bar icon.
#include "AppState.h"

#include "engine/AudioRecorder.h"
#include "engine/EngineLogging.h"
#include "engine/FloatingIndicator.h"
#include "engine/HotkeyManager.h"
#include "engine/HttpClient.h"
#include "engine/OnboardingPresenter.h"
#include "engine/PasteManager.h"
#include "engine/RecordingRelease.h"
#include "engine/RetryQueueManager.h"
#include "engine/SoundManager.h"
#include "engine/TranscriptionLogger.h"
#include "engine/TranscriptionService.h"
#include "engine/VocabularyPreset.h"
#include "platform/Bundle.h"
#include "platform/EventMonitors.h"
#include "platform/LoginItem.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>

#include <algorithm>
#include <cmath>

const QString AppState::defaultServerURL = QStringLiteral("http://127.0.0.1:8080");

namespace {

const QString kServerURL = QStringLiteral("serverURL");
const QString kAutoPaste = QStringLiteral("autoPaste");
const QString kLanguage = QStringLiteral("language");
const QString kPrompt = QStringLiteral("prompt");
const QString kEnabledPresets = QStringLiteral("enabledPresets");
const QString kUseFnKey = QStringLiteral("useFnKey");
const QString kMinimumRecordingDuration = QStringLiteral("minimumRecordingDuration");
const QString kMaxRecordingDuration = QStringLiteral("maxRecordingDuration");
const QString kOnboardingComplete = QStringLiteral("onboardingComplete");
const QString kHasLaunchedBefore = QStringLiteral("hasLaunchedBefore");

QString resolveAppSecret(std::optional<QString> &cache, const platform::Bundle &bundle)
{
    if (!cache) {
        const auto value = bundle.infoValue(QStringLiteral("PVXAppSecret"));
        cache = value && value->isString() ? value->toString() : QString();
    }
    return *cache;
}

// The object a seed-file candidate holds, or nothing when it cannot be read or is no object.
std::optional<QJsonObject> readSeedObject(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

AppState::AppState(platform::Services &services, HttpClient *http, QObject *parent)
    : QObject(parent), m_services(services), m_appSecret(std::make_shared<std::optional<QString>>())
{
    // A client of our own is a child: it goes after every member, when the weak references to
    // AppState are already cleared, and ends the requests still running. Their coroutines then
    // resume, see AppState gone and finish.
    m_http = http ? http : new HttpClient(*services.scheduler, this);

    m_state = RecordingState::idle();
    readSettings();
    m_onboardingComplete = services.userDefaults->boolean(kOnboardingComplete).value_or(false);
    m_launchAtLogin = services.loginItem->isEnabled();

    m_recorder =
        std::make_unique<AudioRecorder>(*services.audioInput, *services.scheduler, *services.paths);
    QPointer<AppState> self(this);
    m_recorder->setOnRecordingFailed([self](const QString &reason) {
        if (self)
            self->recordingFailed(reason);
    });
    m_transcriptionService = std::make_unique<TranscriptionService>(
        *m_http, *services.scheduler, *services.userDefaults, *services.bundle);
    m_pasteManager = std::make_unique<PasteManager>(
        *services.pasteboard, *services.primarySelection, *services.keyEventPoster,
        *services.scriptRunner, *services.windowSystem, *services.permissions, *services.scheduler);
    m_soundManager = std::make_unique<SoundManager>(*services.soundPlayer);
    m_logger = std::make_unique<TranscriptionLogger>(*services.paths, *services.scheduler);

    if (!services.userDefaults->boolean(kHasLaunchedBefore).value_or(false)) {
        loadSeedDefaults();
        services.userDefaults->setBool(kHasLaunchedBefore, true);
    }
    m_accessibilityGranted = services.permissions->isProcessTrusted();
    m_micPermissionGranted = services.permissions->microphoneAuthorized();
    checkFnKeyConflict();
    followFnKeyAvailability();
    createRetryQueue();
}

AppState::~AppState()
{
    // Queued now with the reason it has, rather than recovered at the next start.
    if (m_uploadingRecording && m_retryQueueManager)
        m_retryQueueManager->enqueue(*m_uploadingRecording,
                                     QStringLiteral("Upload interrupted when Parlovox quit"));
    // Transcribed, only not pasted yet: kept in the log, and not transcribed again next time.
    if (m_awaitingPaste) {
        const AwaitingPaste &paste = *m_awaitingPaste;
        RecordingRelease::logAndRemove(*m_logger, paste.filePath,
                                       [&] { m_logger->logSuccess(paste.text, paste.durationMs); });
    }
}

void AppState::readSettings()
{
    const platform::UserDefaults &defaults = *m_services.userDefaults;
    m_serverURL = defaults.string(kServerURL).value_or(defaultServerURL);
    m_autoPaste = defaults.boolean(kAutoPaste).value_or(true);
    m_language = defaults.string(kLanguage).value_or(QStringLiteral("en"));
    m_prompt = defaults.string(kPrompt).value_or(QString());
    const QStringList presets = defaults.stringList(kEnabledPresets).value_or(QStringList());
    m_enabledPresets = QSet<QString>(presets.cbegin(), presets.cend());
    m_useFnKey = defaults.boolean(kUseFnKey).value_or(true);
    m_minimumRecordingDuration = defaults.number(kMinimumRecordingDuration).value_or(0.75);
    m_maxRecordingDuration = defaults.number(kMaxRecordingDuration).value_or(300.0);
}

void AppState::loadSeedDefaults()
{
    const platform::Bundle &bundle = *m_services.bundle;
    QStringList candidates;
    if (const auto resource =
            bundle.resourcePath(QStringLiteral("local-defaults"), QStringLiteral("json")))
        candidates.append(*resource);
    // Beside a development checkout: three levels above the program's directory.
    QString base = QFileInfo(bundle.bundlePath()).absoluteFilePath();
    for (int level = 0; level < 3; ++level)
        base = QFileInfo(base).path();
    candidates.append(QFileInfo(base + QStringLiteral("/local-defaults.json")).absoluteFilePath());

    for (const QString &path : std::as_const(candidates)) {
        const auto seed = readSeedObject(path);
        if (!seed)
            continue;
        const QJsonValue url = seed->value(kServerURL);
        if (url.isString() && !url.toString().isEmpty()) {
            m_serverURL = url.toString();
            m_services.userDefaults->setString(kServerURL, m_serverURL);
        }
        const QJsonValue prompt = seed->value(kPrompt);
        if (prompt.isString() && !prompt.toString().isEmpty()) {
            m_prompt = prompt.toString();
            m_services.userDefaults->setString(kPrompt, m_prompt);
        }
        qCInfo(lcAppState, "[AppState] Loaded seed defaults from %s", qUtf8Printable(path));
        return;
    }
}

void AppState::createRetryQueue()
{
    QPointer<AppState> self(this);
    RetryQueueManager::Settings settings;
    settings.getServerURL = [self] { return self ? self->m_serverURL : QString(); };
    settings.getLanguage = [self] { return self ? self->m_language : QStringLiteral("en"); };
    settings.getPrompt = [self] { return self ? self->buildPrompt() : QString(); };
    settings.getAppSecret = [cache = m_appSecret, bundle = m_services.bundle.get()] {
        return resolveAppSecret(*cache, *bundle);
    };
    m_retryQueueManager = std::make_unique<RetryQueueManager>(
        *m_transcriptionService, *m_logger, std::move(settings), *m_services.paths,
        *m_services.scheduler, *m_services.crashReporter);
    // A transcript obtained by a retry joins the history with the stop sound, but is never
    // pasted: the user has long moved on.
    m_retryQueueManager->setOnRetrySuccess([self](const QString &text) {
        if (!self)
            return;
        self->addToHistory(text);
        self->m_soundManager->playStopSound();
    });
}

QString AppState::appSecret() const
{
    return resolveAppSecret(*m_appSecret, *m_services.bundle);
}

QString AppState::buildPrompt() const
{
    QStringList presets(m_enabledPresets.cbegin(), m_enabledPresets.cend());
    return VocabularyPreset::buildPrompt(m_prompt, presets);
}

QString AppState::currentTranscription() const
{
    if (m_historyIndex < 0 || m_historyIndex >= m_transcriptionHistory.size())
        return QString();
    return m_transcriptionHistory.at(m_historyIndex);
}

void AppState::addToHistory(const QString &text)
{
    m_transcriptionHistory.prepend(text);
    if (m_transcriptionHistory.size() > historyLimit)
        m_transcriptionHistory.removeLast();
    Q_EMIT transcriptionHistoryChanged();
    if (m_historyIndex != 0)
        setHistoryIndex(0);
}

void AppState::showOlderTranscription()
{
    if (m_historyIndex < m_transcriptionHistory.size() - 1)
        setHistoryIndex(m_historyIndex + 1);
}

void AppState::showNewerTranscription()
{
    if (m_historyIndex > 0)
        setHistoryIndex(m_historyIndex - 1);
}

QString AppState::menuBarIconName() const
{
    switch (m_state.kind()) {
    case RecordingState::Kind::processing:
        return QStringLiteral("ellipsis");
    case RecordingState::Kind::recording:
        return QStringLiteral("waveform.circle.fill");
    case RecordingState::Kind::error:
        return QStringLiteral("exclamationmark.triangle");
    case RecordingState::Kind::idle:
        break;
    }
    if (m_retryQueueManager && m_retryQueueManager->pendingCount() > 0)
        return QStringLiteral("arrow.clockwise.circle");
    if (m_serverReachable)
        return QStringLiteral("waveform");
    return QStringLiteral("waveform.badge.exclamationmark");
}

void AppState::saveSettings()
{
    platform::UserDefaults &defaults = *m_services.userDefaults;
    defaults.setString(kServerURL, m_serverURL);
    defaults.setBool(kAutoPaste, m_autoPaste);
    defaults.setString(kLanguage, m_language);
    defaults.setString(kPrompt, m_prompt);
    // A set has no order; sorting keeps the file stable between saves.
    QStringList presets(m_enabledPresets.cbegin(), m_enabledPresets.cend());
    presets.sort();
    defaults.setStringList(kEnabledPresets, presets);
    defaults.setBool(kUseFnKey, m_useFnKey);
    defaults.setNumber(kMinimumRecordingDuration, m_minimumRecordingDuration);
    defaults.setNumber(kMaxRecordingDuration, m_maxRecordingDuration);
}

void AppState::followFnKeyAvailability()
{
    platform::EventMonitors *monitors = m_services.eventMonitors.get();
    if (!monitors)
        return; // nothing watches the keys, so Fn cannot work
    m_fnKeyAccess = monitors->fnKeyAccess();
    connect(monitors, &platform::EventMonitors::fnKeyAccessChanged, this,
            [this, monitors] { setFnKeyAccess(monitors->fnKeyAccess()); });
}

void AppState::checkFnKeyConflict()
{
    // The system's Fn-key preference lives in another application's domain; this desktop has
    // none, so unless something provides the domain there is no conflict.
    std::optional<qint64> usage;
    if (const auto domain =
            m_services.userDefaults->persistentDomain(QStringLiteral("com.apple.HIToolbox"))) {
        const QJsonValue value = domain->value(QStringLiteral("AppleFnUsageType"));
        const double number = value.toDouble();
        // Any whole number that fits a 64-bit integer; 2^63 itself does not.
        if (value.isDouble() && std::trunc(number) == number && std::abs(number) < 0x1p63)
            usage = qint64(number);
    }
    const bool conflict = usage && *usage != 0;
    setFnKeyConflict(conflict);
    if (conflict)
        qCInfo(lcAppState, "[AppState] Fn key conflict detected (AppleFnUsageType=%lld)",
               static_cast<long long>(*usage));
}
