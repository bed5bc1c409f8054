// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ServerEndpoint.h"

#include <QRegularExpression>

ServerEndpoint ServerEndpoint::of(const QString &serverURL, const QString &path)
{
    // No slash handling: a URL ending in "/" yields "//inference", as it always has.
    QUrl url(serverURL + path, QUrl::StrictMode);
    if (!url.isValid()) {
        // Only a text that claims a scheme and still fails is no URL. One typed without
        // "http://" ("127.0.0.1:8080", which no URL parser accepts) names a server the user
        // meant; what was recorded for it must wait for the fix, not be thrown away.
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
        return ServerEndpoint(QUrl(), scheme.match(serverURL).hasMatch() ? Problem::unparsable
                                                                         : Problem::notAServer);
    }
    const QString scheme = url.scheme().toLower();
    if (url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return ServerEndpoint(QUrl(), Problem::notAServer);
    return ServerEndpoint(std::move(url), Problem::none);
}
