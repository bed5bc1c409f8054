// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonFileUserDefaults.h"

#include "platform/FileRecovery.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcDefaults, "parlovox.defaults")

namespace platform::linux_impl {

JsonFileUserDefaults::JsonFileUserDefaults(QString filePath,
                                           std::unique_ptr<AtomicFileWriter> writer)
    : m_filePath(std::move(filePath)), m_writer(std::move(writer))
{
    // Now, not at the next save: a user who changes nothing would keep a server URL (which may
    // hold a password) readable by everyone.
    PrivateFiles::narrowFolder(QFileInfo(m_filePath).absolutePath());
    for (const QString &name : FileRecovery::removeWriteLeftovers(m_filePath))
        qCInfo(lcDefaults, "[Defaults] Removed %s left by an interrupted write", qPrintable(name));
    load();
}

QString JsonFileUserDefaults::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Parlovox/defaults.json");
}

void JsonFileUserDefaults::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qCCritical(lcDefaults, "[Defaults] Cannot read %s: %s", qPrintable(m_filePath),
                   qPrintable(file.errorString()));
        m_fileUnreadable = true;
        return;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        qCCritical(lcDefaults, "[Defaults] %s is not a settings file; starting with defaults",
                   qPrintable(m_filePath));
        m_fileUnreadable = true;
        return;
    }
    m_values = document.object();
}

std::optional<QJsonValue> JsonFileUserDefaults::value(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd() || it->isNull() || it->isUndefined())
        return std::nullopt;
    return *it;
}

void JsonFileUserDefaults::setValue(const QString &key, const QJsonValue &value)
{
    if (m_values.value(key) == value && m_values.contains(key))
        return;
    m_values.insert(key, value);
    save();
}

void JsonFileUserDefaults::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    save();
}

QStringList JsonFileUserDefaults::keys() const
{
    return m_values.keys();
}

std::optional<QJsonObject> JsonFileUserDefaults::persistentDomain(const QString &) const
{
    return std::nullopt;
}

void JsonFileUserDefaults::keepUnreadableFile()
{
    // What the user wrote by hand stays recoverable beside the new file, and so does every
    // earlier copy: a second broken file gets the next free name.
    if (FileRecovery::keepBadCopy(m_filePath).isEmpty())
        qCCritical(lcDefaults, "[Defaults] Could not keep %s as %s.bad", qPrintable(m_filePath),
                   qPrintable(m_filePath));
    else
        m_fileUnreadable = false;
}

void JsonFileUserDefaults::save()
{
    PrivateFiles::makeFolder(QFileInfo(m_filePath).absolutePath());
    if (m_fileUnreadable)
        keepUnreadableFile();
    // On a full disk the old file stays whole and the values stay in memory; the next change
    // writes them all again.
    if (const std::optional<QString> failure = m_writer->replace(
            m_filePath, QJsonDocument(m_values).toJson(QJsonDocument::Indented))) {
        qCCritical(lcDefaults, "[Defaults] Cannot write %s: %s", qPrintable(m_filePath),
                   qPrintable(*failure));
        return;
    }
    // Without a copy the unreadable file is gone once replaced; until then it is kept next time.
    m_fileUnreadable = false;
}

} // namespace platform::linux_impl
