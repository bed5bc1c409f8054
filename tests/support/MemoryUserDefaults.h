// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UserDefaults.h"

#include <QHash>

namespace testsupport {

// Settings in memory, with the same typing rules as the file-backed store.
class MemoryUserDefaults final : public platform::UserDefaults
{
public:
    std::optional<QJsonValue> value(const QString &key) const override;
    void setValue(const QString &key, const QJsonValue &value) override;
    void remove(const QString &key) override { m_values.remove(key); }
    QStringList keys() const override { return m_values.keys(); }
    std::optional<QJsonObject> persistentDomain(const QString &name) const override;

    void setPersistentDomain(const QString &name, const QJsonObject &domain)
    {
        m_domains.insert(name, domain);
    }

private:
    QJsonObject m_values;
    QHash<QString, QJsonObject> m_domains;
};

} // namespace testsupport
