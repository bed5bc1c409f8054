// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/GeneralTab.h"

#include "ui/kit/SectionHeader.h"
#include "ui/kit/Theme.h"
#include "ui/settings/ServerStatusCard.h"

#include "engine/AppState.h"
#include "engine/ServerEndpoint.h"
#include "engine/UpdaterManager.h"
#include "platform/Bundle.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace ui {

namespace {

const QString kProductName = QStringLiteral("Parlovox");

QVBoxLayout *group(int spacing)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(spacing);
    return layout;
}

QLineEdit *textField(const QString &placeholder, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setPlaceholderText(placeholder);
    // A stored value longer than Qt's default limit would otherwise be cut on display and the
    // cut text written back at the next keystroke.
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

// Puts the model's text into a field without disturbing the user's cursor when they agree.
void showText(QLineEdit &field, const QString &text)
{
    if (field.text() != text)
        field.setText(text);
}

} // namespace

GeneralTab::GeneralTab(AppState &appState, UpdaterManager &updaterManager,
                       const platform::Bundle &bundle, QWidget *parent)
    : QWidget(parent), m_appState(appState), m_updaterManager(updaterManager)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(20);
    m_statusCard = new ServerStatusCard(appState, this);
    stack->addWidget(m_statusCard);
    stack->addLayout(makeServerGroup());
    stack->addLayout(makeBehaviorGroup());
    stack->addLayout(makeSystemGroup());
    stack->addStretch();
    stack->addLayout(makeFooter(bundle));

    // Every change of a user setting is written at once, whoever made it.
    connect(&appState, &AppState::serverURLChanged, this, [this] {
        showServerURL();
        m_appState.saveSettings();
    });
    connect(&appState, &AppState::languageChanged, this, [this] {
        showLanguage();
        m_appState.saveSettings();
    });
    connect(&appState, &AppState::autoPasteChanged, this, [this] {
        showToggles();
        m_appState.saveSettings();
    });
    connect(&appState, &AppState::launchAtLoginChanged, this, &GeneralTab::showToggles);
    connect(&updaterManager, &UpdaterManager::canCheckForUpdatesChanged, this,
            &GeneralTab::showToggles);
    showServerURL();
    showLanguage();
    showToggles();
}

QLayout *GeneralTab::makeServerGroup()
{
    QVBoxLayout *layout = group(4);
    layout->addWidget(new SectionHeader(tr("Server URL"), QStringLiteral("link"), this));
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    m_serverField = textField(tr("Server URL"), this);
    connect(m_serverField, &QLineEdit::textEdited, &m_appState, &AppState::setServerURL);
    // Blanks around an address are no part of it; they go once the user is done typing, not
    // while a space may still be followed by more.
    connect(m_serverField, &QLineEdit::editingFinished, this,
            [this] { m_appState.setServerURL(m_appState.serverURL().trimmed()); });
    // A password in the address shows only while the field is being edited.
    m_serverField->installEventFilter(this);
    row->addWidget(m_serverField, 1);
    m_reset = new QPushButton(tr("Reset to Default"), this);
    m_reset->setFont(Theme::font(TextStyle::Subheadline));
    connect(m_reset, &QPushButton::clicked, this, [this] {
        m_appState.setServerURL(AppState::defaultServerURL);
        m_appState.saveSettings();
    });
    row->addWidget(m_reset);
    layout->addLayout(row);
    auto *note = new QLabel(tr("Default server provided. Advanced users can override with a "
                               "custom Whisper-compatible server."),
                            this);
    note->setWordWrap(true);
    Theme::style(note, TextStyle::Caption, Emphasis::Secondary);
    layout->addWidget(note);
    return layout;
}

QLayout *GeneralTab::makeBehaviorGroup()
{
    QVBoxLayout *layout = group(8);
    layout->addWidget(new SectionHeader(tr("Behavior"), QStringLiteral("switch.2"), this));
    m_autoPaste = new QCheckBox(tr("Auto-paste after transcription"), this);
    connect(m_autoPaste, &QCheckBox::clicked, &m_appState, &AppState::setAutoPaste);
    layout->addWidget(m_autoPaste);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(tr("Language"), this);
    Theme::style(label, TextStyle::Callout);
    row->addWidget(label);
    m_languageField = textField(tr("blank = auto-detect"), this);
    m_languageField->setMaximumWidth(160);
    connect(m_languageField, &QLineEdit::textEdited, &m_appState, &AppState::setLanguage);
    row->addWidget(m_languageField);
    row->addStretch();
    layout->addLayout(row);
    return layout;
}

QLayout *GeneralTab::makeSystemGroup()
{
    QVBoxLayout *layout = group(8);
    layout->addWidget(new SectionHeader(tr("System"), QStringLiteral("laptopcomputer"), this));
    m_launchAtLogin = new QCheckBox(tr("Launch at Login"), this);
    connect(m_launchAtLogin, &QCheckBox::clicked, this, [this](bool checked) {
        // A refused change puts the old value back; the box shows whatever stands.
        m_appState.setLaunchAtLogin(checked);
        showToggles();
    });
    layout->addWidget(m_launchAtLogin);
    m_automaticUpdates = new QCheckBox(tr("Automatically check for updates"), this);
    connect(m_automaticUpdates, &QCheckBox::clicked, this, [this](bool checked) {
        m_updaterManager.setAutomaticallyChecksForUpdates(checked);
        showToggles();
    });
    layout->addWidget(m_automaticUpdates);
    m_checkForUpdates = new QPushButton(tr("Check for Updates…"), this);
    m_checkForUpdates->setFont(Theme::font(TextStyle::Subheadline));
    connect(m_checkForUpdates, &QPushButton::clicked, &m_updaterManager,
            &UpdaterManager::checkForUpdates);
    layout->addWidget(m_checkForUpdates, 0, Qt::AlignLeft);
    return layout;
}

QLayout *GeneralTab::makeFooter(const platform::Bundle &bundle)
{
    QVBoxLayout *layout = group(2);
    auto *name = new QLabel(kProductName, this);
    QFont nameFont = Theme::font(TextStyle::Subheadline);
    nameFont.setWeight(QFont::Medium);
    Theme::style(name, TextStyle::Subheadline, Emphasis::Secondary);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignHCenter);
    layout->addWidget(name);
    const std::optional<QJsonValue> version =
        bundle.infoValue(QStringLiteral("CFBundleShortVersionString"));
    if (version && version->isString()) {
        auto *versionLabel = new QLabel(tr("Version %1").arg(version->toString()), this);
        versionLabel->setTextFormat(Qt::PlainText);
        Theme::style(versionLabel, TextStyle::Subheadline, Emphasis::Tertiary);
        versionLabel->setAlignment(Qt::AlignHCenter);
        layout->addWidget(versionLabel);
    }
    return layout;
}

void GeneralTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The update framework keeps the automatic-check setting and announces no change of it.
    showToggles();
}

bool GeneralTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_serverField &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        showServerURL();
    return QWidget::eventFilter(watched, event);
}

void GeneralTab::showServerURL()
{
    // Only text the user types is stored (textEdited), so the masked text never reaches the model.
    const QString url = m_appState.serverURL();
    const bool masked = !m_serverField->hasFocus() && url.contains(QLatin1Char('@'));
    showText(*m_serverField,
             masked ? ServerEndpoint::redacted(url, ServerEndpoint::Redaction::forDisplay) : url);
    m_reset->setVisible(m_appState.serverURL() != AppState::defaultServerURL);
}

void GeneralTab::showLanguage()
{
    showText(*m_languageField, m_appState.language());
}

void GeneralTab::showToggles()
{
    m_autoPaste->setChecked(m_appState.autoPaste());
    m_launchAtLogin->setChecked(m_appState.launchAtLogin());
    m_automaticUpdates->setChecked(m_updaterManager.automaticallyChecksForUpdates());
    m_automaticUpdates->setEnabled(m_updaterManager.hasUpdateFeed());
    m_checkForUpdates->setEnabled(m_updaterManager.canCheckForUpdates());
}

} // namespace ui
