// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstalledBundle.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace platform::linux_impl {

InstalledBundle::InstalledBundle()
{
    m_info.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral(PARLOVOX_VERSION));
    m_info.insert(QStringLiteral("CFBundleVersion"), QStringLiteral(PARLOVOX_BUILD_NUMBER));
    m_info.insert(QStringLiteral("CFBundleIdentifier"), QStringLiteral(PARLOVOX_BUNDLE_ID));
    // An empty build setting means the build has no such entry at all.
    const auto insertIfSet = [this](const char *key, const char *value) {
        if (*value)
            m_info.insert(QLatin1String(key), QString::fromUtf8(value));
    };
    insertIfSet("PVXAppSecret", PARLOVOX_APP_SECRET);
    insertIfSet("SentryDSN", PARLOVOX_SENTRY_DSN);
    insertIfSet("SUFeedURL", PARLOVOX_UPDATE_FEED_URL);
}

QString InstalledBundle::bundlePath() const
{
    return QCoreApplication::applicationDirPath();
}

QString InstalledBundle::identifier() const
{
    return QStringLiteral(PARLOVOX_BUNDLE_ID);
}

std::optional<QJsonValue> InstalledBundle::infoValue(const QString &key) const
{
    const auto it = m_info.constFind(key);
    if (it == m_info.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<QString> InstalledBundle::resourcePath(const QString &name,
                                                     const QString &extension) const
{
    const QString fileName = extension.isEmpty() ? name : name + QLatin1Char('.') + extension;
    const QStringList candidates{
        QStringLiteral(":/parlovox/") + fileName,
        bundlePath() + QStringLiteral("/../share/parlovox/") + fileName,
        QStringLiteral(PARLOVOX_INSTALL_DATADIR "/") + fileName,
    };
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return std::nullopt;
}

} // namespace platform::linux_impl
