// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixedBundle.h"

namespace testsupport {

FixedBundle::FixedBundle()
{
    m_info.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.3.0"));
    m_info.insert(QStringLiteral("CFBundleVersion"), QStringLiteral("42"));
}

std::optional<QJsonValue> FixedBundle::infoValue(const QString &key) const
{
    const auto it = m_info.constFind(key);
    if (it == m_info.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<QString> FixedBundle::resourcePath(const QString &name,
                                                 const QString &extension) const
{
    const QString fileName = extension.isEmpty() ? name : name + QLatin1Char('.') + extension;
    const auto it = m_resources.constFind(fileName);
    if (it == m_resources.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace testsupport
