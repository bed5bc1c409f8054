// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ServerEndpoint.h"

#include <QRegularExpression>

namespace {

const QString kHiddenPassword = QStringLiteral("***");

bool isHttpServer(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// A text no URL parser accepts may still hold a password ("http://alice:p/w@my server"): all up
// to the last "@" after the scheme is taken as user and password, erring towards hiding more.
QString redactedText(const QString &text, ServerEndpoint::Redaction how)
{
    const qsizetype schemeEnd = text.indexOf(QLatin1String("://"));
    const qsizetype start = schemeEnd < 0 ? 0 : schemeEnd + 3;
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    const QString userInfo = at >= start ? text.mid(start, at - start) : QString();
    QString rest = at >= start ? text.mid(at + 1) : text.mid(start);
    if (how == ServerEndpoint::Redaction::forReport) {
        const qsizetype cut = rest.indexOf(QRegularExpression(QStringLiteral("[?#]")));
        return text.left(start) + (cut < 0 ? rest : rest.left(cut));
    }
    const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return text;
    return text.left(start) + userInfo.left(colon) + QLatin1Char(':') + kHiddenPassword +
           QLatin1Char('@') + rest;
}

} // namespace

ServerEndpoint ServerEndpoint::of(const QString &serverURL, const QString &path)
{
    // Blanks around the URL are what a paste or a slip of the thumb leaves; they are no part of
    // the address.
    QUrl url(serverURL.trimmed(), QUrl::StrictMode);
    if (!isHttpServer(url))
        return ServerEndpoint(QUrl());
    QString joined = url.path(QUrl::FullyEncoded);
    while (joined.endsWith(QLatin1Char('/')))
        joined.chop(1);
    url.setPath(joined + path, QUrl::TolerantMode);
    url.setFragment(QString());
    return ServerEndpoint(std::move(url));
}

QString ServerEndpoint::redacted(const QString &serverURL, Redaction how)
{
    const QString text = serverURL.trimmed();
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return redactedText(text, how);
    if (how == Redaction::forReport)
        return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment)
            .toString();
    if (!url.password().isEmpty())
        url.setPassword(kHiddenPassword);
    return url.toString();
}
