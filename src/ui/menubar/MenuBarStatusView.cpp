// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarStatusView.h"

#include "engine/AppState.h"
#include "engine/RetryQueueManager.h"
#include "platform/Services.h"
#include "platform/Workspace.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Divider.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr int kDotSize = 8;

QPixmap dot(const QColor &color, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(kDotSize, kDotSize) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, kDotSize, kDotSize));
    return pixmap;
}

QVBoxLayout *stack(QWidget *widget, int spacing)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

MenuBarStatusView::MenuBarStatusView(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState)
{
    QVBoxLayout *layout = stack(this, 0);
    layout->addWidget(createServerStatusRow());
    layout->addWidget(new Divider(4, this));
    layout->addWidget(m_accessibilityWarning = createWarning(QStringLiteral("accessibilityWarning"),
                                                             createAccessibilityWarning()));
    layout->addWidget(m_fnKeyWarning =
                          createWarning(QStringLiteral("fnKeyWarning"), createFnKeyWarning()));
    layout->addWidget(m_microphoneWarning = createWarning(QStringLiteral("microphoneWarning"),
                                                          createMicrophoneWarning()));

    m_pendingRow = new QWidget(this);
    m_pendingRow->setObjectName(QStringLiteral("pendingRetryRow"));
    QVBoxLayout *pending = stack(m_pendingRow, 0);
    pending->setContentsMargins(0, 0, 0, 4);
    m_pendingText = new IconLabel(QStringLiteral("arrow.clockwise"), QString(), TextStyle::Caption,
                                  m_pendingRow, 6);
    m_pendingText->setColor(Theme::color(NamedColor::Orange));
    pending->addWidget(m_pendingText);
    layout->addWidget(m_pendingRow);

    connect(&m_appState, &AppState::serverReachableChanged, this,
            &MenuBarStatusView::refreshServerStatus);
    connect(&m_appState, &AppState::accessibilityGrantedChanged, this,
            &MenuBarStatusView::refreshWarnings);
    connect(&m_appState, &AppState::fnKeyConflictChanged, this,
            &MenuBarStatusView::refreshWarnings);
    connect(&m_appState, &AppState::micPermissionGrantedChanged, this,
            &MenuBarStatusView::refreshWarnings);
    if (RetryQueueManager *queue = m_appState.retryQueueManager())
        connect(queue, &RetryQueueManager::pendingCountChanged, this,
                &MenuBarStatusView::refreshPendingRow);
    refreshServerStatus();
    refreshWarnings();
    refreshPendingRow();
}

QWidget *MenuBarStatusView::createServerStatusRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("serverStatusRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_serverDot = new QLabel(row);
    m_serverDot->setFixedSize(kDotSize, kDotSize);
    layout->addWidget(m_serverDot);
    m_serverText = new QLabel(row);
    m_serverText->setObjectName(QStringLiteral("serverStatusText"));
    Theme::style(m_serverText, TextStyle::Caption, Emphasis::Secondary);
    layout->addWidget(m_serverText);
    layout->addStretch(1);
    return row;
}

QWidget *MenuBarStatusView::createWarning(const QString &name, QWidget *content)
{
    auto *warning = new QWidget(this);
    warning->setObjectName(name);
    QVBoxLayout *layout = stack(warning, 0);
    content->setParent(warning);
    layout->addWidget(content);
    layout->addWidget(new Divider(4, warning));
    return warning;
}

QWidget *MenuBarStatusView::createAccessibilityWarning()
{
    auto *content = new QWidget(this);
    QVBoxLayout *layout = stack(content, 4);
    auto *title =
        new IconLabel(QStringLiteral("exclamationmark.triangle.fill"),
                      tr("Accessibility required for paste"), TextStyle::Caption, content);
    title->setSymbolColor(Theme::color(NamedColor::Yellow));
    layout->addWidget(title);
    addSettingsLink(layout, QStringLiteral("openAccessibilitySettings"),
                    tr("Open Keyboard Settings"), platform::Workspace::PrivacyPane::Accessibility,
                    tr("No keyboard settings program is installed"));
    // On Linux the grant is an X11 session whose server offers synthetic input, not an entry in
    // a list of trusted applications.
    layout->addWidget(
        new ElidedLabel(tr("Log in to an X11 (Xorg) session: Wayland alone blocks pasting."),
                        TextStyle::Caption2, Emphasis::Tertiary, content));
    return content;
}

QWidget *MenuBarStatusView::createFnKeyWarning()
{
    auto *content = new QWidget(this);
    QVBoxLayout *layout = stack(content, 4);
    auto *title =
        new IconLabel(QStringLiteral("globe"), tr("Fn key may not work with current settings"),
                      TextStyle::Caption, content);
    title->setSymbolColor(Theme::color(NamedColor::Orange));
    layout->addWidget(title);
    layout->addWidget(
        new ElidedLabel(tr("Give the Fn key no action in your desktop’s keyboard settings"),
                        TextStyle::Caption2, Emphasis::Secondary, content));
    return content;
}

QWidget *MenuBarStatusView::createMicrophoneWarning()
{
    auto *content = new QWidget(this);
    QVBoxLayout *layout = stack(content, 4);
    auto *title = new IconLabel(QStringLiteral("mic.slash.fill"), tr("Microphone access required"),
                                TextStyle::Caption, content);
    title->setSymbolColor(Theme::color(NamedColor::Red));
    layout->addWidget(title);
    addSettingsLink(layout, QStringLiteral("openMicrophoneSettings"),
                    tr("Open Microphone Settings"), platform::Workspace::PrivacyPane::Microphone,
                    tr("No sound settings program is installed"));
    return content;
}

void MenuBarStatusView::addSettingsLink(QVBoxLayout *layout, const QString &name,
                                        const QString &text, platform::Workspace::PrivacyPane pane,
                                        const QString &nothingToOpen)
{
    QWidget *content = layout->parentWidget();
    auto *open = BorderlessButton::link(text, TextStyle::Caption, content);
    open->setObjectName(name);
    layout->addWidget(open, 0, Qt::AlignLeft);
    auto *failure =
        new ElidedLabel(nothingToOpen, TextStyle::Caption2, Emphasis::Secondary, content);
    failure->setObjectName(name + QStringLiteral("Failure"));
    failure->hide();
    layout->addWidget(failure);
    connect(open, &BorderlessButton::clicked, this, [this, pane, failure] {
        // Closing the window for nothing would look like a click that went nowhere: it stays
        // open and says why (the workspace logs which programs it tried).
        const bool opened = m_appState.services().workspace->openPrivacySettings(pane);
        failure->setVisible(!opened);
        if (opened)
            Q_EMIT dismissRequested();
    });
}

void MenuBarStatusView::refreshServerStatus()
{
    const bool reachable = m_appState.serverReachable();
    m_serverDot->setPixmap(
        dot(Theme::color(reachable ? NamedColor::Green : NamedColor::Red), devicePixelRatioF()));
    m_serverText->setText(reachable ? tr("Server connected") : tr("Server offline"));
}

void MenuBarStatusView::refreshWarnings()
{
    m_accessibilityWarning->setVisible(!m_appState.accessibilityGranted());
    m_fnKeyWarning->setVisible(m_appState.fnKeyConflict());
    m_microphoneWarning->setVisible(!m_appState.micPermissionGranted());
}

void MenuBarStatusView::refreshPendingRow()
{
    const RetryQueueManager *queue = m_appState.retryQueueManager();
    const int count = queue ? queue->pendingCount() : 0;
    m_pendingRow->setVisible(count > 0);
    if (count > 0)
        m_pendingText->setText(count == 1 ? tr("%1 recording pending retry").arg(count)
                                          : tr("%1 recordings pending retry").arg(count));
}

} // namespace ui
