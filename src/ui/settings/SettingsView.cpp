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
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ui {

SettingsView::SettingsView(AppState &appState, UpdaterManager &updaterManager,
                           platform::Services &services, InputTabFactory makeInputTab,
                           QWidget *parent)
    : QWidget(parent), m_appState(appState), m_updaterManager(updaterManager), m_services(services),
      m_makeInputTab(std::move(makeInputTab))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    // Every title whole, never behind scroll arrows: the window grows instead.
    m_tabs->tabBar()->setUsesScrollButtons(false);
    m_tabs->tabBar()->setElideMode(Qt::ElideNone);
    layout->addWidget(m_tabs);
    buildTabs();
}

QSize SettingsView::fittingSize() const
{
    const QSize minimum = m_tabs->minimumSizeHint();
    const int width = qMax(designSize.width(), minimum.width());
    int height = qMax(designSize.height(), minimum.height());
    if (m_tabs->hasHeightForWidth())
        height = qMax(height, m_tabs->heightForWidth(width));
    return {width, height};
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
    setFixedSize(fittingSize());
}

} // namespace ui
