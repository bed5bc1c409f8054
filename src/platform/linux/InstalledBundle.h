// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Bundle.h"

#include <QJsonObject>

namespace platform::linux_impl {

// The running program: its directory, the Info values compiled in at build time, and resources
// from the Qt resource system or the installed data directory.
class InstalledBundle final : public Bundle
{
public:
    InstalledBundle();

    QString bundlePath() const override;
    QString identifier() const override;
    std::optional<QJsonValue> infoValue(const QString &key) const override;
    std::optional<QString> resourcePath(const QString &name,
                                        const QString &extension) const override;

private:
    QJsonObject m_info;
};

} // namespace platform::linux_impl
