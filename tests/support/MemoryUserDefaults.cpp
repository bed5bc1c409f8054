// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryUserDefaults.h"

namespace testsupport {

std::optional<QJsonValue> MemoryUserDefaults::value(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd() || it->isNull() || it->isUndefined())
        return std::nullopt;
    return *it;
}

void MemoryUserDefaults::setValue(const QString &key, const QJsonValue &value)
{
    m_values.insert(key, value);
}

std::optional<QJsonObject> MemoryUserDefaults::persistentDomain(const QString &name) const
{
    const auto it = m_domains.constFind(name);
    if (it == m_domains.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace testsupport
