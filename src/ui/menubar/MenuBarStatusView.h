// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Workspace.h"

#include <QWidget>

class AppState;
class QLabel;
class QVBoxLayout;

namespace ui {

class IconLabel;

// The top of the tray window once set up: whether the server answers, the warnings for what is
// missing (Accessibility, the Fn key, the microphone), each with its divider, and how many
// recordings wait for a retry.
class MenuBarStatusView final : public QWidget
{
    Q_OBJECT

public:
    explicit MenuBarStatusView(AppState &appState, QWidget *parent = nullptr);

Q_SIGNALS:
    // The user went to another program's window; the tray window should close.
    void dismissRequested();

private:
    QWidget *createServerStatusRow();
    // A warning section: `content` then its divider, shown only while the problem exists.
    QWidget *createWarning(const QString &name, QWidget *content);
    QWidget *createAccessibilityWarning();
    QWidget *createFnKeyWarning();
    QWidget *createMicrophoneWarning();
    // A link that opens the desktop's settings for `pane`, and below it `nothingToOpen`, shown
    // when no program could open them.
    void addSettingsLink(QVBoxLayout *layout, const QString &name, const QString &text,
                         platform::Workspace::PrivacyPane pane, const QString &nothingToOpen);
    void refreshServerStatus();
    void refreshWarnings();
    void refreshPendingRow();

    AppState &m_appState;
    QLabel *m_serverDot = nullptr;
    QLabel *m_serverText = nullptr;
    QWidget *m_accessibilityWarning = nullptr;
    QWidget *m_fnKeyWarning = nullptr;
    QWidget *m_microphoneWarning = nullptr;
    QWidget *m_pendingRow = nullptr;
    IconLabel *m_pendingText = nullptr;
};

} // namespace ui
