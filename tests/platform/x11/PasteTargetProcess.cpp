// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteTargetProcess.h"

#include "support/EventLoop.h"

#include <QUrl>

namespace x11test {

PasteTargetProcess::~PasteTargetProcess()
{
    m_process.write("QUIT\n");
    if (!m_process.waitForFinished(2000))
        m_process.kill();
}

bool PasteTargetProcess::start()
{
    m_process.setProgram(QStringLiteral(PARLOVOX_PASTE_TARGET));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!waitForLine("WINDOW "))
        return false;
    // The window may not be mapped yet when its id is announced, and X refuses to focus an
    // unmapped window: try again until the window manager has shown it.
    const bool focusTaken = testsupport::waitUntil(
        [&] {
            QProcess focus;
            focus.start(QStringLiteral("xdotool"), {"windowfocus", "--sync", id()});
            return focus.waitForFinished(3000) && focus.exitCode() == 0;
        },
        3000);
    // The window manager may have focused the window before xdotool did.
    return focusTaken && testsupport::waitUntil([&] { return readLines(), m_focused; }, 3000);
}

bool PasteTargetProcess::waitForText(const QString &text)
{
    return testsupport::waitUntil([&] { return readLines(), m_text == text; }, 3000);
}

bool PasteTargetProcess::copy(const QString &text)
{
    m_process.write("COPY " + QUrl::toPercentEncoding(text) + "\n");
    return waitForLine("COPIED");
}

bool PasteTargetProcess::lostFocus()
{
    readLines();
    return m_blurred;
}

bool PasteTargetProcess::waitForClick()
{
    return testsupport::waitUntil([&] { return readLines(), m_clicks > 0; }, 3000);
}

bool PasteTargetProcess::waitForLine(const QByteArray &prefix)
{
    return testsupport::waitUntil(
        [&] {
            readLines();
            for (qsizetype i = 0; i < m_unmatched.size(); ++i) {
                if (m_unmatched[i].startsWith(prefix)) {
                    m_unmatched.remove(0, i + 1);
                    return true;
                }
            }
            return false;
        },
        3000);
}

void PasteTargetProcess::readLines()
{
    while (m_process.canReadLine()) {
        const QByteArray line = m_process.readLine().chopped(1);
        if (line.startsWith("TEXT "))
            m_text = QUrl::fromPercentEncoding(line.mid(5));
        else if (line.startsWith("WINDOW "))
            m_window = line.mid(7).toUInt();
        else if (line == "FOCUS" || line == "BLUR") {
            m_focused = line == "FOCUS";
            m_blurred = m_blurred || !m_focused;
        } else if (line == "CLICK")
            ++m_clicks;
        m_unmatched.append(line);
    }
}

} // namespace x11test
