// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramUnderTest.h"

#include "support/EventLoop.h"

namespace e2e {

ProgramUnderTest::~ProgramUnderTest()
{
    stop();
}

bool ProgramUnderTest::start(const QString &program, const QStringList &arguments,
                             const QProcessEnvironment &environment)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setProcessEnvironment(environment);
    m_process.start(program, arguments);
    return m_process.waitForStarted(5000);
}

void ProgramUnderTest::stop()
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool ProgramUnderTest::waitForLine(const QByteArray &text, int timeoutMs)
{
    return testsupport::waitUntil(
               [&] {
                   return !lineContaining(text).isEmpty() || (!isRunning() && (readLines(), true));
               },
               timeoutMs) &&
           !lineContaining(text).isEmpty();
}

QByteArray ProgramUnderTest::lineContaining(const QByteArray &text)
{
    readLines();
    for (const QByteArray &line : std::as_const(m_lines))
        if (line.contains(text))
            return line;
    return {};
}

const QByteArrayList &ProgramUnderTest::lines()
{
    readLines();
    return m_lines;
}

QString ProgramUnderTest::output()
{
    readLines();
    return QString::fromUtf8(m_lines.join('\n'));
}

void ProgramUnderTest::readLines()
{
    while (m_process.canReadLine())
        m_lines.append(m_process.readLine().chopped(1));
    // The last words of a program that ended without a line break.
    if (!isRunning() && m_process.bytesAvailable() > 0)
        m_lines.append(m_process.readAll());
}

} // namespace e2e
