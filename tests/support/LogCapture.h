// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QtGlobal>

namespace testsupport {

// Collects the log messages of one category prefix while it lives, as "info: <text>",
// "critical: <text>", ... (levels: debug, info, warning, critical, fatal). Captures nest: a
// message goes to the innermost one whose prefix it matches, else where it went before. Inner
// captures end first.
class LogCapture final
{
public:
    explicit LogCapture(QString categoryPrefix = QStringLiteral("parlovox."));
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QStringList &lines() const { return m_lines; }
    // Lines of one level only, text without the level prefix.
    QStringList lines(const QString &level) const;
    void clear() { m_lines.clear(); }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QString m_prefix;
    QStringList m_lines;
    // The capture that was active before this one, and (outermost only) the handler before all.
    LogCapture *m_outer = nullptr;
    QtMessageHandler m_previous = nullptr;
};

} // namespace testsupport
