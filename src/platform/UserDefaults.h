// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <optional>

namespace platform {

// The user's settings store. Values keep their JSON type (string, bool, number, array), so the
// typed readers below answer only for a value of their own type; everything else reads as absent.
class UserDefaults
{
public:
    virtual ~UserDefaults() = default;

    virtual std::optional<QJsonValue> value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QJsonValue &value) = 0;
    virtual void remove(const QString &key) = 0;
    virtual QStringList keys() const = 0;

    // Another application's settings domain; none exist on this desktop unless a test or a file
    // provides one.
    virtual std::optional<QJsonObject> persistentDomain(const QString &name) const = 0;

    bool contains(const QString &key) const { return value(key).has_value(); }
    std::optional<QString> string(const QString &key) const;
    std::optional<bool> boolean(const QString &key) const;
    std::optional<double> number(const QString &key) const;
    // An array whose every element is a string.
    std::optional<QStringList> stringList(const QString &key) const;

    void setString(const QString &key, const QString &v) { setValue(key, v); }
    void setBool(const QString &key, bool v) { setValue(key, v); }
    void setNumber(const QString &key, double v) { setValue(key, v); }
    void setStringList(const QString &key, const QStringList &v);
};

} // namespace platform
