// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/CardFrame.h"

class QLabel;
class QPushButton;
class QWidget;

namespace ui {

class SymbolLabel;

// One permission the program depends on: its symbol and name, then either the "Granted" mark or
// the buttons that request it and open the desktop's settings for it.
class PermissionCard final : public CardFrame
{
    Q_OBJECT

public:
    PermissionCard(const QString &name, const QString &icon, QWidget *parent = nullptr);

    bool granted() const { return m_granted; }
    void setGranted(bool granted);
    // Says beside the buttons why "Open Settings" opened nothing.
    void showOpenSettingsFailure(const QString &reason);
    QString openSettingsFailure() const;

Q_SIGNALS:
    void requestClicked();
    void openSettingsClicked();

private:
    void refresh();

    QString m_icon;
    bool m_granted = false;
    SymbolLabel *m_symbol;
    QWidget *m_grantedMark;
    QWidget *m_buttons;
    QLabel *m_openFailure;
};

} // namespace ui
