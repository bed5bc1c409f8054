// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class AppState;
class QLabel;
class QPushButton;

namespace ui {

class BorderlessButton;
class IconLabel;
class SymbolLabel;

// The tray window before onboarding is complete: the two permissions, each with a way to grant
// it, "Finish Setup" once both are granted, and Quit.
class MenuBarSetupView final : public QWidget
{
    Q_OBJECT

public:
    explicit MenuBarSetupView(AppState &appState, QWidget *parent = nullptr);

private:
    struct PermissionRow
    {
        SymbolLabel *symbol;
        QLabel *granted;
        QWidget *request;
    };

    QWidget *createHeader();
    QWidget *createPermissionSection(PermissionRow &row, const QString &name,
                                     const QString &explanation, const QString &buttonText,
                                     QWidget *hint, std::function<void()> action);
    QWidget *createFooter();
    void refresh();
    void refreshRow(const PermissionRow &row, bool granted, const QString &missingSymbol,
                    const QColor &missingColor);

    AppState &m_appState;
    PermissionRow m_microphone{};
    PermissionRow m_accessibility{};
    IconLabel *m_allGranted = nullptr;
    QPushButton *m_finishSetup = nullptr;
};

} // namespace ui
