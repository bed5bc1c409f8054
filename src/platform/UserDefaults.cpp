// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserDefaults.h"

#include <QJsonArray>

namespace platform {

std::optional<QString> UserDefaults::string(const QString &key) const
{
    const auto v = value(key);
    if (!v || !v->isString())
        return std::nullopt;
    return v->toString();
}

std::optional<bool> UserDefaults::boolean(const QString &key) const
{
    const auto v = value(key);
    if (!v || !v->isBool())
        return std::nullopt;
    return v->toBool();
}

std::optional<double> UserDefaults::number(const QString &key) const
{
    const auto v = value(key);
    if (!v || !v->isDouble())
        return std::nullopt;
    return v->toDouble();
}

std::optional<QStringList> UserDefaults::stringList(const QString &key) const
{
    const auto v = value(key);
    if (!v || !v->isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &element : v->toArray()) {
        if (!element.isString())
            return std::nullopt;
        list.append(element.toString());
    }
    return list;
}

void UserDefaults::setStringList(const QString &key, const QStringList &v)
{
    setValue(key, QJsonArray::fromStringList(v));
}

} // namespace platform
