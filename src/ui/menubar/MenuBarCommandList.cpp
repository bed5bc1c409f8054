// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarCommandList.h"

#include "engine/AppState.h"
#include "engine/TranscriptionLogger.h"
#include "engine/UpdaterManager.h"
#include "platform/Services.h"
#include "platform/Workspace.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Divider.h"
#include "ui/kit/Theme.h"

#include <QVBoxLayout>

namespace ui {

MenuBarCommandList::MenuBarCommandList(AppState &appState, UpdaterManager &updaterManager,
                                       std::function<void()> openSettings, QWidget *parent)
    : QWidget(parent), m_appState(appState), m_updaterManager(updaterManager),
      m_openSettings(std::move(openSettings))
{
    setObjectName(QStringLiteral("commandList"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    platform::Workspace &workspace = *m_appState.services().workspace;

    addCommand(QStringLiteral("openLog"), QStringLiteral("doc.text"), tr("Open Transcription Log"),
               [this, &workspace] { workspace.openInTextEditor(m_appState.logger().logPath()); });
    m_update = addCommand(QStringLiteral("updateCommand"), QString(), QString(),
                          [this] { m_updaterManager.checkForUpdates(); });
    addCommand(QStringLiteral("settingsCommand"), QStringLiteral("gear"), tr("Settings…"),
               [this, &workspace] {
                   if (m_openSettings)
                       m_openSettings();
                   workspace.activateApplication();
               });
    addCommand(QStringLiteral("aboutCommand"), QStringLiteral("info.circle"), tr("About Parlovox"),
               [&workspace] {
                   workspace.activateApplication();
                   workspace.showAboutPanel();
               });
    layout->addWidget(new Divider(2, this));
    BorderlessButton *quit =
        addCommand(QStringLiteral("quitCommand"), QStringLiteral("xmark.circle"),
                   tr("Quit Parlovox"), [&workspace] { workspace.terminate(); });
    // The design's Command-Q: Control is the command key's place on a Linux keyboard.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    connect(&m_updaterManager, &UpdaterManager::updateAvailableChanged, this,
            &MenuBarCommandList::refreshUpdateEntry);
    connect(&m_updaterManager, &UpdaterManager::canCheckForUpdatesChanged, this,
            &MenuBarCommandList::refreshUpdateEntry);
    refreshUpdateEntry();
}

BorderlessButton *MenuBarCommandList::addCommand(const QString &name, const QString &symbol,
                                                 const QString &text, std::function<void()> action)
{
    auto *button = new BorderlessButton(symbol, text, TextStyle::Callout, this);
    button->setObjectName(name);
    connect(button, &BorderlessButton::clicked, this, [this, action = std::move(action)] {
        // Every command but Quit brings up a window of its own (or another program's).
        Q_EMIT dismissRequested();
        action();
    });
    layout()->addWidget(button);
    layout()->setAlignment(button, Qt::AlignLeft);
    return button;
}

void MenuBarCommandList::refreshUpdateEntry()
{
    const bool available = m_updaterManager.updateAvailable();
    m_update->setText(available ? tr("Update Available — Install Now") : tr("Check for Updates…"));
    m_update->setSymbol(available ? QStringLiteral("arrow.down.circle.fill")
                                  : QStringLiteral("arrow.triangle.2.circlepath"));
    m_update->setColor(available ? std::optional<QColor>(Theme::color(NamedColor::Blue))
                                 : std::nullopt);
    m_update->setEnabled(m_updaterManager.canCheckForUpdates());
}

} // namespace ui
