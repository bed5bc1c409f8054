// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileRecovery.h"

#include "platform/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace platform {

QString FileRecovery::keepBadCopy(const QString &filePath)
{
    constexpr int attempts = 1000;
    for (int n = 0; n < attempts; ++n) {
        const QString copy = filePath + QStringLiteral(".bad") +
                             (n == 0 ? QString() : QLatin1Char('.') + QString::number(n));
        if (QFileInfo::exists(copy))
            continue;
        return copyPrivately(filePath, copy) ? copy : QString();
    }
    return QString();
}

bool FileRecovery::copyPrivately(const QString &filePath, const QString &copyPath)
{
    // Not QFile::copy, which gives the copy the mode of a file an earlier version left readable;
    // create() makes it 0600 and refuses a copy made meanwhile.
    QFile source(filePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return false;
    return !AtomicFileWriter().create(copyPath, bytes).has_value();
}

QStringList FileRecovery::removeWriteLeftovers(const QString &filePath)
{
    const QFileInfo file(filePath);
    // Qt's temporary names end in six letters or digits after the template's dot.
    const QRegularExpression leftover(QStringLiteral("^(?:%1|qt_temp)\\.[A-Za-z0-9]{6}$")
                                          .arg(QRegularExpression::escape(file.fileName())));
    QDir folder = file.absoluteDir();
    QStringList removed;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (leftover.match(name).hasMatch() && folder.remove(name))
            removed.append(name);
    }
    return removed;
}

} // namespace platform
