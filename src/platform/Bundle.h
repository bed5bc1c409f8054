// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

namespace platform {

// The installed program: where it lives, its identity, its Info values and its resources.
class Bundle
{
public:
    virtual ~Bundle() = default;

    // The directory that holds the program (the executable's directory).
    virtual QString bundlePath() const = 0;
    virtual QString identifier() const = 0;
    // An Info value ("PVXAppSecret", "CFBundleShortVersionString", "CFBundleVersion", ...);
    // absent when the build did not provide one.
    virtual std::optional<QJsonValue> infoValue(const QString &key) const = 0;
    // Path of the resource `name`.`extension`, when the program ships one.
    virtual std::optional<QString> resourcePath(const QString &name,
                                                const QString &extension) const = 0;
};

} // namespace platform
