// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RecordingRelease.h"

#include "engine/TranscriptionLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

const QString kSuffix = QStringLiteral(".release-");

// rename(2) within one folder: QFile::rename would fall back to a copy on any failure.
bool renameInPlace(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

void RecordingRelease::logAndRemove(const TranscriptionLogger &logger, const QString &recordingPath,
                                    const std::function<void()> &writeRecord)
{
    const QString released = recordingPath + kSuffix + QString::number(logger.length());
    const bool renamed = renameInPlace(recordingPath, released);
    writeRecord();
    // A failure is ignored: the next start settles a renamed recording all the same.
    QFile::remove(renamed ? released : recordingPath);
}

QStringList RecordingRelease::settle(const TranscriptionLogger &logger, const QString &folder)
{
    static const QRegularExpression releasedName(
        QStringLiteral("^(.+)%1(\\d{1,18})$").arg(QRegularExpression::escape(kSuffix)));
    QStringList logged;
    // Without a folder of our own there is nothing to settle, and an empty path would be the
    // working directory.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return logged;
    QDir directory(folder);
    const QStringList names = directory.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = releasedName.match(name);
        if (!match.hasMatch())
            continue;
        const QString recording = match.captured(1);
        if (logger.holdsRecordFrom(match.captured(2).toLongLong())) {
            if (directory.remove(name))
                logged.append(recording);
        } else if (!QFileInfo::exists(directory.filePath(recording))) {
            renameInPlace(directory.filePath(name), directory.filePath(recording));
        }
    }
    return logged;
}
