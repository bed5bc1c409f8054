// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionLogger.h"

#include "platform/Paths.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>

#include <algorithm>

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

// The records hold integers, booleans and strings only; anything else is not written.
bool appendValue(QByteArray &out, const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        out += value.toBool() ? "true" : "false";
        return true;
    case QJsonValue::String:
        appendString(out, value.toString());
        return true;
    case QJsonValue::Double:
        out += QByteArray::number(value.toInteger());
        return true;
    default:
        return false;
    }
}

// One record as the line written to the file, keys sorted; empty when a value cannot be written.
QByteArray serialize(const QJsonObject &record)
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

void TranscriptionLogger::append(const QJsonObject &fields)
{
    QJsonObject record = fields;
    record.insert(QStringLiteral("ts"), m_clock.now().toUTC().toString(Qt::ISODate));
    const QByteArray line = serialize(record);
    if (line.isEmpty())
        return;
    // Each record opens, writes and closes the file; a failure loses this record only.
    // Appending creates the file when it does not exist yet.
    QFile file(m_logPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(line);
    file.close();
}
