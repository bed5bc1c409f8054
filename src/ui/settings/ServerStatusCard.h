// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/CardFrame.h"

#include <QCoroTask>

class AppState;
class QLabel;
class QPushButton;

namespace ui {

class ProgressSpinner;
class SymbolLabel;

// Whether the speech server answers its health probe, for the URL in the settings, with a button
// that probes it at once.
class ServerStatusCard final : public CardFrame
{
    Q_OBJECT

public:
    explicit ServerStatusCard(AppState &appState, QWidget *parent = nullptr);

    bool isChecking() const { return m_isChecking; }
    QPushButton &checkButton() const { return *m_check; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void showURL();
    void setChecking(bool checking);
    void forgetCheck();
    QCoro::Task<> check();

    AppState &m_appState;
    bool m_isChecking = false;
    // Counts the checks started, so only the latest one ends the progress shown.
    int m_checkRun = 0;
    SymbolLabel *m_symbol;
    QLabel *m_title;
    QLabel *m_url;
    QPushButton *m_check;
    ProgressSpinner *m_spinner;
};

} // namespace ui
