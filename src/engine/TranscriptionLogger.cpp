// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionLogger.h"

#include "platform/Paths.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

// JSON string escaping as the log has always been written: "/" becomes "\/", control
// characters are escaped, everything else (non-ASCII included) stays as UTF-8.
void appendString(QByteArray &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += hex[(c >> 4) & 0xf];
                out += hex[c & 0xf];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

bool appendValue(QByteArray &out, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        out += value.toBool() ? "true" : "false";
        return true;
    case QJsonValue::Null:
        out += "null";
        return true;
    case QJsonValue::String:
        appendString(out, value.toString());
        return true;
    case QJsonValue::Double: {
        const double number = value.toDouble();
        if (!std::isfinite(number))
            return false;
        if (number == std::trunc(number) && std::fabs(number) < 9007199254740992.0)
            out += QByteArray::number(static_cast<qint64>(number));
        else
            out += QByteArray::number(number, 'g', 17);
        return true;
    }
    default:
        return false; // the log's records hold only flat values
    }
}

} // namespace

TranscriptionLogger::TranscriptionLogger(const platform::Paths &paths,
                                         const platform::Scheduler &clock)
    : m_clock(clock)
{
    const QString folder = paths.applicationSupportDirectory() + QStringLiteral("/Parlovox");
    QDir().mkpath(folder);
    m_logPath = folder + QStringLiteral("/transcriptions.jsonl");
}

void TranscriptionLogger::logSuccess(const QString &text, qint64 durationMs)
{
    append(QJsonObject{{QStringLiteral("duration_ms"), durationMs},
                       {QStringLiteral("ok"), true},
                       {QStringLiteral("text"), text}});
}

void TranscriptionLogger::logFailure(const QString &errorText, qint64 durationMs)
{
    append(QJsonObject{{QStringLiteral("duration_ms"), durationMs},
                       {QStringLiteral("error"), errorText},
                       {QStringLiteral("ok"), false},
                       {QStringLiteral("text"), QString()}});
}

QByteArray TranscriptionLogger::serialize(const QJsonObject &record)
{
    QStringList keys = record.keys();
    std::sort(keys.begin(), keys.end());
    QByteArray line = "{";
    for (const QString &key : keys) {
        if (line.size() > 1)
            line += ',';
        appendString(line, key);
        line += ':';
        if (!appendValue(line, record.value(key)))
            return {};
    }
    line += "}\n";
    return line;
}

void TranscriptionLogger::append(const QJsonObject &fields)
{
    QJsonObject record = fields;
    record.insert(QStringLiteral("ts"), m_clock.now().toUTC().toString(Qt::ISODate));
    const QByteArray line = serialize(record);
    if (line.isEmpty())
        return;
    // Each record opens, writes and closes the file; a failure loses this record only.
    QFile file(m_logPath);
    const QIODevice::OpenMode mode = QFileInfo::exists(m_logPath)
                                         ? QIODevice::WriteOnly | QIODevice::Append
                                         : QIODevice::WriteOnly;
    if (!file.open(mode))
        return;
    file.write(line);
    file.close();
}
