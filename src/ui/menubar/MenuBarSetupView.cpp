// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/menubar/MenuBarSetupView.h"

#include "engine/AppState.h"
#include "platform/Permissions.h"
#include "platform/Services.h"
#include "platform/Workspace.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/Divider.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/MicrophoneAccess.h"
#include "ui/kit/ProminentButton.h"
#include "ui/kit/SymbolLabel.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

MenuBarSetupView::MenuBarSetupView(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(createHeader());
    layout->addWidget(new Divider(6, this));

    auto *microphone = createPermissionSection(
        m_microphone, tr("Microphone"), tr("Required to record speech for transcription."),
        tr("Grant Microphone Access"), nullptr, [this] { MicrophoneAccess::request(m_appState); });
    microphone->setObjectName(QStringLiteral("setupMicrophoneSection"));
    layout->addWidget(microphone);
    layout->addWidget(new Divider(6, this));

    // The macOS hint (remove and re-add the app in the Accessibility list) has no counterpart
    // here: on Linux the grant is an X11 session whose server offers synthetic input.
    auto *hint =
        new ElidedLabel(tr("Log in to an X11 (Xorg) session: Wayland alone blocks pasting."),
                        TextStyle::Caption2, Emphasis::Tertiary, this);
    hint->setObjectName(QStringLiteral("accessibilityHint"));
    auto *accessibility = createPermissionSection(
        m_accessibility, tr("Accessibility"),
        tr("Required to paste transcriptions into your active app."),
        tr("Grant Accessibility Access"), hint,
        // The answer arrives through the permission poll, which re-renders this view.
        [this] { m_appState.services().permissions->isProcessTrustedWithPrompt(); });
    accessibility->setObjectName(QStringLiteral("setupAccessibilitySection"));
    layout->addWidget(accessibility);
    layout->addWidget(new Divider(6, this));

    layout->addWidget(createFooter());
    layout->addWidget(new Divider(4, this));

    auto *quit = new BorderlessButton(QStringLiteral("xmark.circle"), tr("Quit Parlovox"),
                                      TextStyle::Callout, this);
    quit->setObjectName(QStringLiteral("setupQuit"));
    connect(quit, &BorderlessButton::clicked, this,
            [this] { m_appState.services().workspace->terminate(); });
    layout->addWidget(quit, 0, Qt::AlignLeft);

    connect(&m_appState, &AppState::micPermissionGrantedChanged, this, &MenuBarSetupView::refresh);
    connect(&m_appState, &AppState::accessibilityGrantedChanged, this, &MenuBarSetupView::refresh);
    refresh();
}

QWidget *MenuBarSetupView::createHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("setupHeader"));
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto *symbol = new SymbolLabel(QStringLiteral("waveform"), Theme::scaled(24),
                                   Theme::color(NamedColor::Emerald), header);
    QFont glyph = symbol->font();
    glyph.setWeight(QFont::Medium);
    symbol->setFont(glyph);
    layout->addWidget(symbol);

    auto *title = new QLabel(QStringLiteral("Parlovox"), header);
    QFont titleFont = Theme::font(TextStyle::Body);
    titleFont.setPixelSize(Theme::scaled(16));
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto *subtitle =
        new QLabel(tr("Speech to text, instantly.\nLet’s set up permissions."), header);
    subtitle->setTextFormat(Qt::PlainText);
    Theme::style(subtitle, TextStyle::Caption, Emphasis::Secondary);
    subtitle->setAlignment(Qt::AlignCenter);
    layout->addWidget(subtitle);
    return header;
}

QWidget *MenuBarSetupView::createPermissionSection(PermissionRow &row, const QString &name,
                                                   const QString &explanation,
                                                   const QString &buttonText, QWidget *hint,
                                                   std::function<void()> action)
{
    auto *section = new QWidget(this);
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    auto *header = new QHBoxLayout;
    header->setSpacing(6);
    row.symbol = new SymbolLabel(
        QString(), qRound(Theme::font(TextStyle::Callout).pixelSize() * 1.25), QColor(), section);
    header->addWidget(row.symbol);
    auto *title = new QLabel(name, section);
    QFont titleFont = Theme::font(TextStyle::Callout);
    titleFont.setWeight(QFont::Medium);
    title->setFont(titleFont);
    header->addWidget(title);
    header->addStretch(1);
    row.granted = new QLabel(tr("Granted"), section);
    Theme::style(row.granted, TextStyle::Caption2, Theme::color(NamedColor::Green));
    header->addWidget(row.granted);
    layout->addLayout(header);

    row.request = new QWidget(section);
    auto *request = new QVBoxLayout(row.request);
    request->setContentsMargins(0, 0, 0, 0);
    request->setSpacing(6);
    request->addWidget(
        new ElidedLabel(explanation, TextStyle::Caption, Emphasis::Secondary, row.request));
    auto *button = BorderlessButton::link(buttonText, TextStyle::Caption, row.request);
    connect(button, &BorderlessButton::clicked, this, std::move(action));
    request->addWidget(button, 0, Qt::AlignLeft);
    if (hint) {
        hint->setParent(row.request);
        request->addWidget(hint);
    }
    layout->addWidget(row.request);

    return section;
}

QWidget *MenuBarSetupView::createFooter()
{
    auto *footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("setupFooter"));
    auto *layout = new QVBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    m_allGranted = new IconLabel(QStringLiteral("checkmark.circle.fill"),
                                 tr("All permissions granted!"), TextStyle::Caption, footer);
    m_allGranted->setObjectName(QStringLiteral("allPermissionsGranted"));
    m_allGranted->setColor(Theme::color(NamedColor::Green));
    m_allGranted->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    layout->addWidget(m_allGranted, 0, Qt::AlignHCenter);

    m_finishSetup = new ProminentButton(tr("Finish Setup"), Theme::color(NamedColor::Emerald), 13,
                                        ProminentButton::Size::Regular, footer);
    m_finishSetup->setObjectName(QStringLiteral("finishSetup"));
    connect(m_finishSetup, &QPushButton::clicked, this,
            [this] { m_appState.completeOnboarding(); });
    layout->addWidget(m_finishSetup);
    return footer;
}

void MenuBarSetupView::refresh()
{
    const bool microphone = m_appState.micPermissionGranted();
    const bool accessibility = m_appState.accessibilityGranted();
    refreshRow(m_microphone, microphone, QStringLiteral("mic.fill"),
               Theme::color(NamedColor::Blue));
    refreshRow(m_accessibility, accessibility, QStringLiteral("hand.raised.fill"),
               Theme::color(NamedColor::Orange));
    m_allGranted->setVisible(microphone && accessibility);
    m_finishSetup->setEnabled(microphone && accessibility);
}

void MenuBarSetupView::refreshRow(const PermissionRow &row, bool granted,
                                  const QString &missingSymbol, const QColor &missingColor)
{
    row.symbol->setSymbol(granted ? QStringLiteral("checkmark.circle.fill") : missingSymbol,
                          granted ? Theme::color(NamedColor::Green) : missingColor);
    row.granted->setVisible(granted);
    row.request->setVisible(!granted);
}

} // namespace ui
