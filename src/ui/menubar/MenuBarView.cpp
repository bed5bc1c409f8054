// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarView.h"

#include "engine/AppState.h"
#include "ui/kit/Divider.h"
#include "ui/kit/FadeAnimation.h"
#include "ui/menubar/MenuBarCommandList.h"
#include "ui/menubar/MenuBarHistoryCard.h"
#include "ui/menubar/MenuBarSetupView.h"
#include "ui/menubar/MenuBarStateRow.h"
#include "ui/menubar/MenuBarStatusView.h"

#include <QVBoxLayout>

namespace ui {

MenuBarView::MenuBarView(AppState &appState, UpdaterManager &updaterManager,
                         std::function<void()> openSettings, QWidget *parent)
    : QWidget(parent), m_appState(appState)
{
    setObjectName(QStringLiteral("menuBarView"));
    setFixedWidth(width);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(0);

    m_setup = new MenuBarSetupView(appState, this);
    m_setup->setObjectName(QStringLiteral("setupVariant"));
    layout->addWidget(m_setup);
    m_normal = createNormalVariant(updaterManager, std::move(openSettings));
    layout->addWidget(m_normal);
    layout->addStretch(1);

    connect(&m_appState, &AppState::onboardingCompleteChanged, this, &MenuBarView::refreshVariant);
    connect(&m_appState, &AppState::transcriptionHistoryChanged, this,
            [this] { refreshHistory(true); });
    refreshVariant();
    refreshHistory(false);
}

QWidget *MenuBarView::createNormalVariant(UpdaterManager &updaterManager,
                                          std::function<void()> openSettings)
{
    auto *normal = new QWidget(this);
    normal->setObjectName(QStringLiteral("normalVariant"));
    auto *layout = new QVBoxLayout(normal);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *status = new MenuBarStatusView(m_appState, normal);
    connect(status, &MenuBarStatusView::dismissRequested, this, &MenuBarView::dismissRequested);
    layout->addWidget(status);
    layout->addWidget(new MenuBarStateRow(m_appState, normal));

    m_historyDivider = new Divider(4, normal);
    m_historyDivider->setObjectName(QStringLiteral("historyDivider"));
    layout->addWidget(m_historyDivider);
    m_historyCard = new MenuBarHistoryCard(m_appState, normal);
    layout->addWidget(m_historyCard);

    layout->addWidget(new Divider(4, normal));
    auto *commands =
        new MenuBarCommandList(m_appState, updaterManager, std::move(openSettings), normal);
    connect(commands, &MenuBarCommandList::dismissRequested, this, &MenuBarView::dismissRequested);
    layout->addWidget(commands);
    return normal;
}

void MenuBarView::refreshVariant()
{
    const bool complete = m_appState.onboardingComplete();
    m_setup->setVisible(!complete);
    m_normal->setVisible(complete);
}

void MenuBarView::refreshHistory(bool animated)
{
    const bool shown = !m_appState.transcriptionHistory().isEmpty();
    m_historyDivider->setVisible(shown);
    if (!animated)
        m_historyCard->setVisible(shown);
    else if (shown && m_historyCard->isHidden())
        FadeAnimation::fadeIn(m_historyCard, historyFadeSeconds);
    else if (!shown && !m_historyCard->isHidden())
        FadeAnimation::fadeOut(m_historyCard, historyFadeSeconds);
}

} // namespace ui
