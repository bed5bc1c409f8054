// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayList>
#include <QProcess>
#include <QString>

namespace e2e {

// A program started in a process of its own; everything it prints (its log included) is kept
// line by line, and the test waits for lines instead of for time. Stopped when destroyed.
class ProgramUnderTest
{
public:
    ~ProgramUnderTest();

    bool start(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment);
    // Asks it to quit, then kills it after a grace period.
    void stop();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }

    // Waits until a line containing `text` has been printed since start; false after `timeoutMs`
    // or when the program ended first.
    bool waitForLine(const QByteArray &text, int timeoutMs = 10000);
    // The first such line, or empty.
    QByteArray lineContaining(const QByteArray &text);
    // Every line printed so far.
    const QByteArrayList &lines();
    // Everything printed so far, for a failure message.
    QString output();
    void write(const QByteArray &line) { m_process.write(line + '\n'); }

private:
    void readLines();

    QProcess m_process;
    QByteArrayList m_lines;
};

} // namespace e2e
