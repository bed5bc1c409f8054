// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Bundle.h"

#include <QHash>
#include <QJsonObject>

namespace testsupport {

// A bundle whose path, Info values and resources the test sets.
class FixedBundle final : public platform::Bundle
{
public:
    FixedBundle();

    QString bundlePath() const override { return m_path; }
    QString identifier() const override { return QStringLiteral("org.parlovox.Tests"); }
    std::optional<QJsonValue> infoValue(const QString &key) const override;
    std::optional<QString> resourcePath(const QString &name,
                                        const QString &extension) const override;

    void setBundlePath(const QString &path) { m_path = path; }
    void setInfoValue(const QString &key, const QJsonValue &value) { m_info.insert(key, value); }
    void removeInfoValue(const QString &key) { m_info.remove(key); }
    // `name.extension` resolves to `path`.
    void setResource(const QString &fileName, const QString &path) { m_resources[fileName] = path; }

private:
    QString m_path;
    QJsonObject m_info;
    QHash<QString, QString> m_resources;
};

} // namespace testsupport
