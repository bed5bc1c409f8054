// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>

namespace x11test {

// The paste target program (PasteTarget.cpp) in a process of its own: another X client's text
// field, started and focused, reporting what it shows, its focus and the clicks it gets.
class PasteTargetProcess
{
public:
    ~PasteTargetProcess();

    // Starts it and waits until its window is mapped and has the keyboard focus.
    bool start();

    quint32 window() const { return m_window; }
    QString id() const { return QString::number(m_window); }
    // Waits until the field shows `text`; false after 3 s.
    bool waitForText(const QString &text);
    QString text() const { return m_text; }
    // Puts `text` on the clipboard from the target's side.
    bool copy(const QString &text);
    // Whether the field lost the keyboard focus since it was started.
    bool lostFocus();
    bool waitForClick();

private:
    // Waits for a line starting with `prefix` that arrived since the last such wait.
    bool waitForLine(const QByteArray &prefix);
    void readLines();

    QProcess m_process;
    QByteArrayList m_unmatched;
    quint32 m_window = 0;
    bool m_focused = false;
    bool m_blurred = false;
    int m_clicks = 0;
    QString m_text;
};

} // namespace x11test
