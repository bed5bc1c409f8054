// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogCapture.h"

namespace testsupport {

namespace {

LogCapture *g_active = nullptr;

QString levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("debug");
    case QtInfoMsg:
        return QStringLiteral("info");
    case QtWarningMsg:
        return QStringLiteral("warning");
    case QtCriticalMsg:
        return QStringLiteral("critical");
    case QtFatalMsg:
        return QStringLiteral("fatal");
    }
    return {};
}

} // namespace

LogCapture::LogCapture(QString categoryPrefix)
    : m_prefix(std::move(categoryPrefix)), m_outer(g_active)
{
    g_active = this;
    if (!m_outer)
        m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    g_active = m_outer;
    if (!m_outer)
        qInstallMessageHandler(m_previous);
}

QStringList LogCapture::lines(const QString &level) const
{
    QStringList result;
    const QString prefix = level + QStringLiteral(": ");
    for (const QString &line : m_lines)
        if (line.startsWith(prefix))
            result.append(line.mid(prefix.size()));
    return result;
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    LogCapture *outermost = nullptr;
    for (LogCapture *capture = g_active; capture; capture = capture->m_outer) {
        if (context.category && category.startsWith(capture->m_prefix)) {
            capture->m_lines.append(levelName(type) + QStringLiteral(": ") + message);
            return;
        }
        outermost = capture;
    }
    if (outermost && outermost->m_previous)
        outermost->m_previous(type, context, message);
}

} // namespace testsupport
