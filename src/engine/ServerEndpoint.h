// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

// One endpoint of the speech server: the server URL as the user typed it, followed by a path
// ("/inference", "/health") with no slash handling. The one place that decides whether a server
// URL can be used.
class ServerEndpoint final
{
public:
    enum class Problem {
        none,
        unparsable, // the text is no URL at all
        notAServer, // a URL, but without an http or https scheme and a host
    };

    static ServerEndpoint of(const QString &serverURL, const QString &path);

    QUrl url() const { return m_url; }
    Problem problem() const { return m_problem; }
    bool isUsable() const { return m_problem == Problem::none; }

private:
    ServerEndpoint(QUrl url, Problem problem) : m_url(std::move(url)), m_problem(problem) {}

    QUrl m_url;
    Problem m_problem;
};
