// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/SettingsView.h"

#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/settings/Changelog.h"
#include "ui/settings/GeneralTab.h"
#include "ui/settings/PermissionsTab.h"
#include "ui/settings/VocabularyTab.h"
#include "ui/settings/WhatsNewTab.h"

#include "platform/Services.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ui {

SettingsView::SettingsView(AppState &appState, UpdaterManager &updaterManager,
                           platform::Services &services, InputTabFactory makeInputTab,
                           QWidget *parent)
    : QWidget(parent), m_appState(appState), m_updaterManager(updaterManager), m_services(services),
      m_makeInputTab(std::move(makeInputTab))
{
    setFixedSize(560, 520);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    layout->addWidget(m_tabs);
    buildTabs();
}

void SettingsView::showEvent(QShowEvent *event)
{
    // Only a show of our own: the desktop restoring a minimised window brings back what was left.
    if (!event->spontaneous() && m_closedSinceBuilt)
        buildTabs();
    QWidget::showEvent(event);
}

void SettingsView::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_closedSinceBuilt = true;
    QWidget::hideEvent(event);
}

void SettingsView::buildTabs()
{
    m_closedSinceBuilt = false;
    while (m_tabs->count() > 0) {
        QWidget *page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        delete page;
    }
    AppState &appState = m_appState;
    UpdaterManager &updaterManager = m_updaterManager;
    platform::Services &services = m_services;
    const InputTabFactory &makeInputTab = m_makeInputTab;
    QStringList symbols;
    const auto addTab = [this, &symbols](QWidget *tab, const QString &symbol,
                                         const QString &title) {
        m_tabs->addTab(tab, title);
        symbols.append(symbol);
    };
    addTab(new GeneralTab(appState, updaterManager, *services.bundle, m_tabs),
           QStringLiteral("gear"), tr("General"));
    addTab(makeInputTab ? makeInputTab(m_tabs) : new QWidget(m_tabs), QStringLiteral("keyboard"),
           tr("Input"));
    addTab(new VocabularyTab(appState, m_tabs), QStringLiteral("text.badge.plus"),
           tr("Vocabulary"));
    addTab(new PermissionsTab(*services.permissions, *services.workspace, m_tabs),
           QStringLiteral("lock.shield"), tr("Permissions"));
    addTab(new WhatsNewTab(loadChangelog(*services.bundle), m_tabs), QStringLiteral("sparkles"),
           tr("What's New"));
    // The icons are pictures in the text colour, so they are drawn again when it changes.
    Theme::follow(m_tabs, QStringLiteral("ui.SettingsView.tabIcons"), [this, symbols] {
        const QColor color = Theme::foreground(m_tabs->palette(), Emphasis::Primary);
        for (int i = 0; i < symbols.size(); ++i)
            m_tabs->setTabIcon(i, Symbols::icon(symbols.at(i), color));
    });
    m_tabs->setCurrentIndex(0);
}

} // namespace ui
