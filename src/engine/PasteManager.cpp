// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteManager.h"

#include "engine/EngineLogging.h"
#include "platform/KeyEventPoster.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/Scheduler.h"
#include "platform/ScriptRunner.h"
#include "platform/WindowSystem.h"

#include <optional>
#include <utility>

struct PasteManager::Keystroke
{
    quint16 virtualKey;
    quint64 flags;
    // How the log names it.
    QString name;
    QString script;
};

namespace {

// US-ANSI positions in the design's key numbering; Help sits where PC keyboards have Insert.
constexpr quint16 virtualKeyV = 9;
constexpr quint16 virtualKeyInsert = 114;
constexpr double restoreDelaySeconds = 2.0;

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString keystrokeScript(const char *keyLine)
{
    return QStringLiteral("tell application \"System Events\"\n    %1\nend tell")
        .arg(QLatin1String(keyLine));
}

} // namespace

const QString PasteManager::fallbackScript = keystrokeScript("key code 9 using command down");

PasteManager::PasteManager(platform::Pasteboard &pasteboard, platform::Pasteboard &primarySelection,
                           platform::KeyEventPoster &keyEventPoster,
                           platform::ScriptRunner &scriptRunner,
                           const platform::WindowSystem &windowSystem,
                           const platform::Permissions &permissions, platform::Scheduler &scheduler)
    : m_pasteboard(pasteboard), m_primarySelection(primarySelection),
      m_keyEventPoster(keyEventPoster), m_scriptRunner(scriptRunner), m_windowSystem(windowSystem),
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

    using PasteTarget = platform::WindowSystem::PasteTarget;
    const PasteTarget target = m_windowSystem.focusedPasteTarget();
    const Keystroke keystroke = keystrokeFor(target);

    const std::optional<QString> previous = previousText(m_pasteboard, m_readAhead);
    m_pasteboard.clearContents();
    m_pasteboard.setString(text);
    std::optional<QString> previousSelection;
    if (target == PasteTarget::SelectionTerminal) {
        previousSelection = previousText(m_primarySelection, m_selectionReadAhead);
        m_primarySelection.clearContents();
        m_primarySelection.setString(text);
    }

    if (!postKeystroke(keystroke)) {
        qCCritical(lcPasteManager).noquote() << "[PasteManager] CGEvent creation failed";
        if (!runFallbackScript(keystroke)) {
            qCCritical(lcPasteManager).noquote()
                << QStringLiteral("[PasteManager] All paste methods failed. Text is on clipboard "
                                  "\u2014 user can Cmd+V manually");
            return false;
        }
    }

    if (previous)
        restoreLater(m_pasteboard, text, *previous);
    // What the user selected last is theirs to middle-click again, as their clipboard is.
    if (previousSelection)
        restoreLater(m_primarySelection, text, *previousSelection);
    return true;
}

PasteManager::Keystroke PasteManager::keystrokeFor(platform::WindowSystem::PasteTarget target)
{
    using platform::KeyEvent;
    switch (target) {
    case platform::WindowSystem::PasteTarget::ClipboardTerminal:
        return {virtualKeyV, KeyEvent::ControlFlag | KeyEvent::ShiftFlag,
                QStringLiteral("Ctrl+Shift+V"),
                keystrokeScript("key code 9 using {control down, shift down}")};
    case platform::WindowSystem::PasteTarget::SelectionTerminal:
        return {virtualKeyInsert, KeyEvent::ShiftFlag, QStringLiteral("Shift+Insert"),
                keystrokeScript("key code 114 using shift down")};
    case platform::WindowSystem::PasteTarget::Ordinary:
        break;
    }
    return {virtualKeyV, KeyEvent::CommandFlag, QStringLiteral("Cmd+V"), fallbackScript};
}

void PasteManager::restoreLater(platform::Pasteboard &pasteboard, const QString &text,
                                const QString &previous)
{
    // The restore cannot be cancelled and runs even if more pastes follow; it gives the text
    // back only when nobody replaced the transcript meanwhile.
    platform::Pasteboard *board = &pasteboard;
    m_scheduler.after(restoreDelaySeconds, [board, text, previous] {
        const std::optional<QString> current = board->string();
        if (current && *current == text) {
            board->clearContents();
            board->setString(previous);
        }
    });
}

void PasteManager::readPreviousTextAhead()
{
    m_readAhead = ReadAhead{m_pasteboard.string(), m_pasteboard.changeCount()};
    // Asking the selection's owner may wait for a program that does not answer: not on the way
    // to the paste either.
    m_selectionReadAhead.reset();
    if (m_windowSystem.focusedPasteTarget() ==
        platform::WindowSystem::PasteTarget::SelectionTerminal)
        m_selectionReadAhead =
            ReadAhead{m_primarySelection.string(), m_primarySelection.changeCount()};
}

std::optional<QString> PasteManager::previousText(platform::Pasteboard &pasteboard,
                                                  std::optional<ReadAhead> &readAhead)
{
    const std::optional<ReadAhead> ahead = std::exchange(readAhead, std::nullopt);
    if (ahead && ahead->changeCount == pasteboard.changeCount())
        return ahead->text;
    return pasteboard.string();
}

bool PasteManager::postKeystroke(const Keystroke &keystroke)
{
    // Without a source the events are made without one; that is not an error.
    std::unique_ptr<platform::KeyEventSource> source = m_keyEventPoster.createSource();
    if (source)
        source->setLocalEventsFilterDuringSuppressionState(
            platform::KeyEventSource::PermitLocalMouseEvents |
                platform::KeyEventSource::PermitSystemDefinedEvents,
            platform::KeyEventSource::SuppressionInterval);

    std::optional<platform::KeyEvent> keyDown =
        m_keyEventPoster.createKeyboardEvent(source.get(), keystroke.virtualKey, true);
    if (!keyDown)
        return false;
    std::optional<platform::KeyEvent> keyUp =
        m_keyEventPoster.createKeyboardEvent(source.get(), keystroke.virtualKey, false);
    if (!keyUp)
        return false;

    // The whole flag word is replaced, so no other modifier takes part in the chord.
    keyDown->flags = keystroke.flags;
    keyUp->flags = keystroke.flags;
    m_keyEventPoster.post(*keyDown);
    m_keyEventPoster.post(*keyUp);
    qCInfo(lcPasteManager).noquote()
        << QStringLiteral("[PasteManager] CGEvent %1 posted via .cgSessionEventTap")
               .arg(keystroke.name);
    return true;
}

bool PasteManager::runFallbackScript(const Keystroke &keystroke)
{
    std::unique_ptr<platform::Script> script = m_scriptRunner.createScript(keystroke.script);
    if (!script) {
        qCInfo(lcPasteManager).noquote() << "[PasteManager] NSAppleScript creation failed";
        return false;
    }
    if (const std::optional<QString> error = script->execute()) {
        qCCritical(lcPasteManager).noquote()
            << QStringLiteral("[PasteManager] AppleScript failed: %1").arg(*error);
        return false;
    }
    qCInfo(lcPasteManager).noquote()
        << QStringLiteral("[PasteManager] %1 posted via AppleScript").arg(keystroke.name);
    return true;
}
