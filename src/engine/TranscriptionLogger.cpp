// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionLogger.h"

#include "platform/Paths.h"
#include "platform/PrivateFiles.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

// JSON string escaping as the log has always been written: "/" becomes "\/", control
// characters are escaped, everything else (non-ASCII included) stays as UTF-8. DEL, the C1
// controls and the line and paragraph separators are escaped too: a reader that shows the log
// in a terminal or splits it into lines must not meet them raw.
bool needsUnicodeEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

void appendString(QByteArray &out, const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('"');
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        switch (c) {
        case u'"':
            escaped += QLatin1String("\\\"");
            break;
        case u'\\':
            escaped += QLatin1String("\\\\");
            break;
        case u'/':
            escaped += QLatin1String("\\/");
            break;
        case u'\b':
            escaped += QLatin1String("\\b");
            break;
        case u'\f':
            escaped += QLatin1String("\\f");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        case u'\r':
            escaped += QLatin1String("\\r");
            break;
        case u'\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            if (needsUnicodeEscape(c))
                escaped += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
            else
                escaped += qc;
        }
    }
    escaped += QLatin1Char('"');
    out += escaped.toUtf8();
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
    platform::PrivateFiles::makeFolder(folder);
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                   platform::PrivateFiles::filePermissions))
        return;
    file.write(line);
    file.close();
}
