// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionLogger.h"

#include "engine/EngineLogging.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"
#include "platform/Scheduler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    : m_clock(clock), m_writer(std::make_unique<platform::AtomicFileWriter>())
{
    const QString folder = paths.applicationSupportDirectory() + QStringLiteral("/Parlovox");
    platform::PrivateFiles::makeFolder(folder);
    // A log an earlier version left readable by everyone holds what the user said.
    platform::PrivateFiles::narrowFolder(folder);
    m_logPath = folder + QStringLiteral("/transcriptions.jsonl");
    removeBrokenRecord();
}

TranscriptionLogger::~TranscriptionLogger() = default;

void TranscriptionLogger::setWriter(std::unique_ptr<platform::AtomicFileWriter> writer)
{
    m_writer = std::move(writer);
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
    if (const std::optional<QString> failure = m_writer->append(m_logPath, line))
        qCCritical(lcTranscriptionLogger).noquote()
            << QStringLiteral("[TranscriptionLogger] Failed to write a record: %1").arg(*failure);
}

void TranscriptionLogger::removeBrokenRecord()
{
    QFile file(m_logPath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return;
    constexpr qint64 chunk = 1 << 16;
    qint64 end = file.size();
    // Read backwards: the log is never rotated, and the broken part is one record at most.
    while (end > 0 && file.seek(std::max<qint64>(0, end - chunk))) {
        const QByteArray bytes = file.read(std::min(chunk, end));
        const qsizetype lineFeed = bytes.lastIndexOf('\n');
        if (lineFeed >= 0) {
            end -= bytes.size() - lineFeed - 1;
            break;
        }
        end -= bytes.size();
        if (bytes.isEmpty())
            return;
    }
    if (end < file.size())
        file.resize(end);
}

qint64 TranscriptionLogger::length() const
{
    return QFileInfo(m_logPath).size();
}

bool TranscriptionLogger::holdsRecordFrom(qint64 offset) const
{
    QFile file(m_logPath);
    if (offset < 0 || !file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return false;
    return file.readAll().contains('\n');
}
