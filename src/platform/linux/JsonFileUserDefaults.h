// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFileWriter.h"
#include "platform/UserDefaults.h"

#include <memory>

namespace platform::linux_impl {

// Settings kept as one JSON object in a file, rewritten atomically on every change.
class JsonFileUserDefaults final : public UserDefaults
{
public:
    // `filePath` is usually ~/.config/Parlovox/defaults.json. The temporary files of saves that
    // were interrupted are removed here.
    explicit JsonFileUserDefaults(QString filePath, std::unique_ptr<AtomicFileWriter> writer =
                                                        std::make_unique<AtomicFileWriter>());

    static QString defaultFilePath();

    std::optional<QJsonValue> value(const QString &key) const override;
    void setValue(const QString &key, const QJsonValue &value) override;
    void remove(const QString &key) override;
    QStringList keys() const override;
    std::optional<QJsonObject> persistentDomain(const QString &name) const override;

private:
    void load();
    void save();
    void keepUnreadableFile();

    QString m_filePath;
    std::unique_ptr<AtomicFileWriter> m_writer;
    QJsonObject m_values;
    // The file on disk could not be read as settings; it is set aside before the first write.
    bool m_fileUnreadable = false;
};

} // namespace platform::linux_impl
