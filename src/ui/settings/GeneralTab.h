// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;
class QCheckBox;
class QLineEdit;
class QPushButton;
class UpdaterManager;

namespace platform {
class Bundle;
}

namespace ui {

class ServerStatusCard;

// The first settings tab: the server and its status, auto-paste, the language, launch at login
// and the update checks, with the product's name and version at the bottom.
class GeneralTab final : public QWidget
{
    Q_OBJECT

public:
    GeneralTab(AppState &appState, UpdaterManager &updaterManager, const platform::Bundle &bundle,
               QWidget *parent = nullptr);

    ServerStatusCard &statusCard() const { return *m_statusCard; }
    QLineEdit &serverField() const { return *m_serverField; }
    QPushButton &resetButton() const { return *m_reset; }
    QLineEdit &languageField() const { return *m_languageField; }
    QCheckBox &autoPasteToggle() const { return *m_autoPaste; }
    QCheckBox &launchAtLoginToggle() const { return *m_launchAtLogin; }
    QCheckBox &automaticUpdatesToggle() const { return *m_automaticUpdates; }
    QPushButton &checkForUpdatesButton() const { return *m_checkForUpdates; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLayout *makeServerGroup();
    QLayout *makeBehaviorGroup();
    QLayout *makeSystemGroup();
    QLayout *makeFooter(const platform::Bundle &bundle);
    // Each brings one control in line with the model after a change from anywhere.
    void showServerURL();
    void showLanguage();
    void showToggles();

    AppState &m_appState;
    UpdaterManager &m_updaterManager;
    ServerStatusCard *m_statusCard;
    QLineEdit *m_serverField = nullptr;
    QPushButton *m_reset = nullptr;
    QLineEdit *m_languageField = nullptr;
    QCheckBox *m_autoPaste = nullptr;
    QCheckBox *m_launchAtLogin = nullptr;
    QCheckBox *m_automaticUpdates = nullptr;
    QPushButton *m_checkForUpdates = nullptr;
};

} // namespace ui
