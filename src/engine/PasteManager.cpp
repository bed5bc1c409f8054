// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteManager.h"

#include "engine/EngineLogging.h"
#include "platform/KeyEventPoster.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/ScriptRunner.h"

#include <optional>

namespace {

// The V key's US-ANSI position in the design's key numbering.
constexpr quint16 virtualKeyV = 9;
constexpr double restoreDelaySeconds = 2.0;

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

const QString PasteManager::fallbackScript = QStringLiteral("tell application \"System Events\"\n"
                                                            "    key code 9 using command down\n"
                                                            "end tell");

PasteManager::PasteManager(platform::Pasteboard &pasteboard,
                           platform::KeyEventPoster &keyEventPoster,
                           platform::ScriptRunner &scriptRunner,
                           const platform::Permissions &permissions, platform::Scheduler &scheduler)
    : m_pasteboard(pasteboard), m_keyEventPoster(keyEventPoster), m_scriptRunner(scriptRunner),
      m_permissions(permissions), m_scheduler(scheduler)
{}

bool PasteManager::pasteText(const QString &text)
{
    // Only logged: a missing grant shows up as a paste that lands nowhere, not as a failure.
    qCInfo(lcPasteManager).noquote()
        << QStringLiteral("[PasteManager] pasteText called. AXIsProcessTrusted=%1, "
                          "CGPreflightPostEventAccess=%2")
               .arg(boolText(m_permissions.isProcessTrusted()),
                    boolText(m_permissions.preflightPostEventAccess()));

    const std::optional<QString> previous = previousText();
    m_pasteboard.clearContents();
    m_pasteboard.setString(text);

    if (!postPasteChord()) {
        qCCritical(lcPasteManager).noquote() << "[PasteManager] CGEvent creation failed";
        if (!runFallbackScript()) {
            qCCritical(lcPasteManager).noquote()
                << QStringLiteral("[PasteManager] All paste methods failed. Text is on clipboard "
                                  "\u2014 user can Cmd+V manually");
            return false;
        }
    }

    if (previous) {
        // The restore cannot be cancelled and runs even if more pastes follow; it gives the
        // clipboard back only when nobody replaced the transcript meanwhile.
        platform::Pasteboard *pasteboard = &m_pasteboard;
        m_scheduler.after(restoreDelaySeconds, [pasteboard, text, previous = *previous] {
            const std::optional<QString> current = pasteboard->string();
            if (current && *current == text) {
                pasteboard->clearContents();
                pasteboard->setString(previous);
            }
        });
    }
    return true;
}

void PasteManager::readPreviousTextAhead()
{
    m_readAhead = ReadAhead{m_pasteboard.string(), m_pasteboard.changeCount()};
}

std::optional<QString> PasteManager::previousText()
{
    std::optional<ReadAhead> readAhead;
    std::swap(readAhead, m_readAhead);
    if (readAhead && readAhead->changeCount == m_pasteboard.changeCount())
        return readAhead->text;
    return m_pasteboard.string();
}

bool PasteManager::postPasteChord()
{
    // Without a source the events are made without one; that is not an error.
    std::unique_ptr<platform::KeyEventSource> source = m_keyEventPoster.createSource();
    if (source)
        source->setLocalEventsFilterDuringSuppressionState(
            platform::KeyEventSource::PermitLocalMouseEvents |
                platform::KeyEventSource::PermitSystemDefinedEvents,
            platform::KeyEventSource::SuppressionInterval);

    std::optional<platform::KeyEvent> keyDown =
        m_keyEventPoster.createKeyboardEvent(source.get(), virtualKeyV, true);
    if (!keyDown)
        return false;
    std::optional<platform::KeyEvent> keyUp =
        m_keyEventPoster.createKeyboardEvent(source.get(), virtualKeyV, false);
    if (!keyUp)
        return false;

    // The whole flag word is replaced, so no other modifier takes part in the chord.
    keyDown->flags = platform::KeyEvent::CommandFlag;
    keyUp->flags = platform::KeyEvent::CommandFlag;
    m_keyEventPoster.post(*keyDown);
    m_keyEventPoster.post(*keyUp);
    qCInfo(lcPasteManager).noquote()
        << "[PasteManager] CGEvent Cmd+V posted via .cgSessionEventTap";
    return true;
}

bool PasteManager::runFallbackScript()
{
    std::unique_ptr<platform::Script> script = m_scriptRunner.createScript(fallbackScript);
    if (!script) {
        qCInfo(lcPasteManager).noquote() << "[PasteManager] NSAppleScript creation failed";
        return false;
    }
    if (const std::optional<QString> error = script->execute()) {
        qCCritical(lcPasteManager).noquote()
            << QStringLiteral("[PasteManager] AppleScript failed: %1").arg(*error);
        return false;
    }
    qCInfo(lcPasteManager).noquote() << "[PasteManager] Cmd+V posted via AppleScript";
    return true;
}
