// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarExtra.h"

#include "engine/AppState.h"
#include "engine/RetryQueueManager.h"
#include "engine/UpdaterManager.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/UiLogging.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <utility>

namespace ui {

namespace {

const QString kUpdateSymbol = QStringLiteral("arrow.down.app.fill");
constexpr int kIconPixels = 64;

// The tray's background is the desktop's and unknown to us: the symbol gets a rim in the window
// colour, so it reads on a light panel and on a dark one alike.
QIcon trayPicture(const QString &symbol, const QPalette &palette)
{
    QPixmap pixmap(kIconPixels, kIconPixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(4, 4, kIconPixels - 8, kIconPixels - 8);
    const QColor rim = palette.color(QPalette::Window);
    for (const QPointF offset :
         {QPointF(-2, 0), QPointF(2, 0), QPointF(0, -2), QPointF(0, 2), QPointF(-1.5, -1.5),
          QPointF(1.5, 1.5), QPointF(-1.5, 1.5), QPointF(1.5, -1.5)})
        Symbols::paint(painter, area.translated(offset), symbol, rim);
    Symbols::paint(painter, area, symbol, palette.color(QPalette::WindowText));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

MenuBarExtra::MenuBarExtra(AppState &appState, UpdaterManager &updaterManager, Actions actions,
                           QObject *parent)
    : QObject(parent), m_appState(appState), m_updaterManager(updaterManager),
      m_actions(std::move(actions)), m_menu(std::make_unique<QMenu>()),
      m_trayIcon(std::make_unique<QSystemTrayIcon>())
{
    m_trayIcon->setToolTip(QStringLiteral("Parlovox"));
    QAction *settings = m_menu->addAction(tr("Settings…"));
    connect(settings, &QAction::triggered, this, [this] {
        if (m_actions.openSettings)
            m_actions.openSettings();
    });
    m_trayIcon->setContextMenu(m_menu.get());
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // A click soon after the window closed arrives as a double click: it opens it
                // again.
                const bool click =
                    reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick;
                if (click && m_actions.openWindow)
                    m_actions.openWindow(m_trayIcon->geometry());
            });

    connect(&m_appState, &AppState::stateChanged, this, &MenuBarExtra::render);
    connect(&m_appState, &AppState::serverReachableChanged, this, &MenuBarExtra::render);
    if (RetryQueueManager *queue = m_appState.retryQueueManager())
        connect(queue, &RetryQueueManager::pendingCountChanged, this, &MenuBarExtra::render);
    connect(&m_updaterManager, &UpdaterManager::updateAvailableChanged, this,
            &MenuBarExtra::render);
    connect(&m_appState, &AppState::pasteDue, this, &MenuBarExtra::makeWayForPaste);
    render();

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        showWhenTrayExists();
        return;
    }
    qCInfo(lcUi, "[App] No system tray: the tray icon appears once the desktop shows one");
    m_trayPoll = m_appState.services().scheduler->repeating(trayPollSeconds, [this] {
        if (isShown() || !QSystemTrayIcon::isSystemTrayAvailable())
            return;
        qCInfo(lcUi, "[App] System tray available: showing the tray icon");
        showWhenTrayExists();
        // Not from inside the timer's own call.
        QMetaObject::invokeMethod(
            this, [this] { m_trayPoll.reset(); }, Qt::QueuedConnection);
    });
}

// A paste still held is left to the state, as the tray window's is.
MenuBarExtra::~MenuBarExtra() = default;

bool MenuBarExtra::isShown() const
{
    return m_trayIcon->isVisible();
}

QString MenuBarExtra::currentIconName() const
{
    return m_updaterManager.updateAvailable() ? kUpdateSymbol : m_appState.menuBarIconName();
}

void MenuBarExtra::render()
{
    const QString name = currentIconName();
    if (name == m_iconName)
        return;
    m_iconName = name;
    m_trayIcon->setIcon(picture(name));
    emit iconNameChanged();
}

QIcon MenuBarExtra::picture(const QString &symbol)
{
    // Each new icon leaves its scaled copies in Qt's pixmap cache under a key of its own, a few
    // kilobytes per dictation for as long as the program runs: the same symbol reuses its icon.
    const QPalette palette = QApplication::palette();
    const QPair<QRgb, QRgb> colors(palette.color(QPalette::Window).rgba(),
                                   palette.color(QPalette::WindowText).rgba());
    if (colors != m_pictureColors) {
        m_pictures.clear();
        m_pictureColors = colors;
    }
    auto found = m_pictures.constFind(symbol);
    if (found == m_pictures.constEnd())
        found = m_pictures.insert(symbol, trayPicture(symbol, palette));
    return *found;
}

void MenuBarExtra::showWhenTrayExists()
{
    m_trayIcon->show();
    emit shownChanged();
    if (m_lateInitRequested || !m_actions.lateInit)
        return;
    m_lateInitRequested = true;
    QMetaObject::invokeMethod(
        this, [this] { m_actions.lateInit(); }, Qt::QueuedConnection);
}

void MenuBarExtra::makeWayForPaste()
{
    // The paste's keystroke would go to the menu, which has the keyboard, and the text nowhere.
    // Closing gives the keyboard back with requests that leave on this turn of the event loop;
    // the keystroke follows them on the next.
    if (!m_menu->isVisible() || m_holdsPaste)
        return;
    m_holdsPaste = true;
    m_appState.holdPaste(this);
    m_menu->hide();
    QMetaObject::invokeMethod(this, &MenuBarExtra::releasePaste, Qt::QueuedConnection);
}

void MenuBarExtra::releasePaste()
{
    if (std::exchange(m_holdsPaste, false))
        m_appState.releasePaste(this);
}

} // namespace ui
