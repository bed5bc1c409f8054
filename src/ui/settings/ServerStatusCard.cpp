// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/ServerStatusCard.h"

#include "ui/kit/ProgressSpinner.h"
#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include "engine/AppState.h"
#include "engine/ServerEndpoint.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

namespace {

QColor withOpacity(QColor color, float opacity)
{
    color.setAlphaF(opacity);
    return color;
}

} // namespace

ServerStatusCard::ServerStatusCard(AppState &appState, QWidget *parent)
    : CardFrame(8, parent), m_appState(appState)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(10);
    m_symbol =
        new SymbolLabel(QStringLiteral("xmark.circle.fill"), Theme::scaled(18), QColor(), this);
    row->addWidget(m_symbol);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_title = new QLabel(this);
    QFont titleFont = Theme::font(TextStyle::Body);
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    texts->addWidget(m_title);
    m_url = new QLabel(this);
    // The URL is the user's text: shown verbatim and cut to one line, never interpreted.
    m_url->setTextFormat(Qt::PlainText);
    m_url->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Theme::style(m_url, TextStyle::Caption, Emphasis::Secondary);
    m_url->installEventFilter(this);
    texts->addWidget(m_url);
    row->addLayout(texts, 1);

    m_check = new QPushButton(tr("Check"), this);
    m_check->setFont(Theme::font(TextStyle::Subheadline));
    // Keeps its width while the spinner stands in for the title.
    m_check->setMinimumWidth(m_check->sizeHint().width());
    auto *inside = new QHBoxLayout(m_check);
    inside->setContentsMargins(0, 0, 0, 0);
    m_spinner = new ProgressSpinner(12, m_check);
    m_spinner->hide();
    inside->addWidget(m_spinner, 0, Qt::AlignCenter);
    row->addWidget(m_check);
    connect(m_check, &QPushButton::clicked, this, [this] {
        if (!m_isChecking)
            check();
    });

    connect(&m_appState, &AppState::serverReachableChanged, this, &ServerStatusCard::refresh);
    connect(&m_appState, &AppState::serverURLChanged, this, &ServerStatusCard::showURL);
    connect(&m_appState, &AppState::serverURLChanged, this, &ServerStatusCard::forgetCheck);
    refresh();
    showURL();
}

void ServerStatusCard::refresh()
{
    const bool reachable = m_appState.serverReachable();
    const QColor tint = Theme::color(reachable ? NamedColor::Green : NamedColor::Red);
    m_symbol->setSymbol(reachable ? QStringLiteral("checkmark.circle.fill")
                                  : QStringLiteral("xmark.circle.fill"),
                        tint);
    m_title->setText(reachable ? tr("Server Connected") : tr("Server Offline"));
    setColors(withOpacity(tint, 0.08f), withOpacity(tint, 0.15f));
}

void ServerStatusCard::showURL()
{
    // The password of a URL that carries one stays in the settings field only.
    const QString url =
        ServerEndpoint::redacted(m_appState.serverURL(), ServerEndpoint::Redaction::forDisplay);
    // Only what fits is laid out: a URL of any length costs one line of text.
    m_url->setText(m_url->fontMetrics().elidedText(url, Qt::ElideRight, qMax(0, m_url->width())));
}

bool ServerStatusCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_url && event->type() == QEvent::Resize)
        showURL();
    return CardFrame::eventFilter(watched, event);
}

void ServerStatusCard::setChecking(bool checking)
{
    m_isChecking = checking;
    m_check->setEnabled(!checking);
    m_check->setText(checking ? QString() : tr("Check"));
    m_spinner->setVisible(checking);
}

void ServerStatusCard::forgetCheck()
{
    // The probe running is for a URL no longer shown: it may run on to its timeout unseen, and
    // the new URL can be checked at once.
    ++m_checkRun;
    setChecking(false);
}

QCoro::Task<> ServerStatusCard::check()
{
    QPointer<ServerStatusCard> self(this);
    const int run = ++m_checkRun;
    setChecking(true);
    co_await m_appState.checkServerHealth();
    // The window may have closed while the probe ran, or a newer check taken over.
    if (self && self->m_checkRun == run)
        self->setChecking(false);
}

} // namespace ui
