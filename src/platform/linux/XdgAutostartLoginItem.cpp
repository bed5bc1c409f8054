// SPDX-License-Identifier: GPL-3.0-or-later
#include "XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform::linux_impl {

namespace {

// The desktop-entry rules for an Exec argument: quote it when it holds anything the launcher
// would split or expand, escaping the characters that stay special inside quotes.
QString quotedExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return QString(argument).replace(QLatin1Char('%'), QStringLiteral("%%"));
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // Inside a desktop file a backslash is itself escaped once more, and a line break or tab
    // is written as its escape so it cannot end the line and start a key of its own.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    quoted.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    quoted.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString autostartDirectory, QString executable)
    : m_directory(std::move(autostartDirectory)), m_executable(std::move(executable))
{}

QString XdgAutostartLoginItem::defaultAutostartDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString XdgAutostartLoginItem::entryPath() const
{
    return m_directory + QStringLiteral("/parlovox.desktop");
}

bool XdgAutostartLoginItem::isEnabled() const
{
    return QFileInfo(entryPath()).isFile();
}

LoginItem::Failure XdgAutostartLoginItem::registerMainApp()
{
    if (!QDir().mkpath(m_directory))
        return QStringLiteral("Could not create the directory %1").arg(m_directory);
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Parlovox\n"
                                         "Comment=Push-to-talk dictation\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(quotedExecArgument(m_executable));
    file.write(entry.toUtf8());
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

LoginItem::Failure XdgAutostartLoginItem::unregisterMainApp()
{
    QFile file(entryPath());
    if (!file.exists())
        return std::nullopt;
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}

} // namespace platform::linux_impl
