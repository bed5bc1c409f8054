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

LogCapture::LogCapture(QString categoryPrefix) : m_prefix(std::move(categoryPrefix))
{
    g_active = this;
    m_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    g_active = nullptr;
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
    LogCapture *self = g_active;
    if (self && context.category &&
        QString::fromLatin1(context.category).startsWith(self->m_prefix)) {
        self->m_lines.append(levelName(type) + QStringLiteral(": ") + message);
        return;
    }
    if (self && self->m_previous)
        self->m_previous(type, context, message);
}

} // namespace testsupport
