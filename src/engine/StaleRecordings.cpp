// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/StaleRecordings.h"

#include "engine/AudioRecorder.h"
#include "engine/EngineLogging.h"
#include "platform/Paths.h"
#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <optional>

namespace {

bool isRecordingName(const QString &name)
{
    // The extension is what follows the last dot, compared case-sensitively.
    return name.startsWith(AudioRecorder::recordingPrefix) &&
           QFileInfo(name).suffix() == QLatin1String("wav");
}

// What start-up may recover of the recordings left in the temporary folder.
struct StaleCheck
{
    uint owner;
    qint64 largestBytes;
    QString recoveredFolder;

    bool accepts(const QFileInfo &file) const
    {
        QString why;
        if (file.ownerId() != owner)
            why = QStringLiteral("it belongs to another user");
        // Read whole into memory on its way to the queue: a planted giant must not be.
        else if (file.size() > largestBytes)
            why = QStringLiteral("it is larger than any recording");
        else
            return true;
        refuse(file.filePath(), why);
        return false;
    }

    static void refuse(const QString &path, const QString &why)
    {
        qCCritical(lcAudioRecorder, "[AudioRecorder] Not recovering %s: %s", qUtf8Printable(path),
                   qUtf8Printable(why));
    }

    // Removes what holds no recording a press made; moves a recording to recover into the
    // recovered folder and returns its new path.
    std::optional<QString> sortOut(QDir &directory, const QString &name) const
    {
        const QString path = directory.filePath(name);
        // A link is removed itself: following it would empty whatever it points at.
        const QFileInfo entry(path);
        if (entry.isDir() && !entry.isSymLink()) {
            QDir(path).removeRecursively();
            return std::nullopt;
        }
        if (!entry.isFile() || entry.isSymLink() || entry.size() <= AudioRecorder::wavHeaderBytes ||
            name.startsWith(AudioRecorder::warmUpPrefix)) {
            QFile::remove(path);
            return std::nullopt;
        }
        if (!accepts(entry))
            return std::nullopt;
        // Renaming takes the rights removing takes: a recording that cannot be moved aside
        // could not be removed once delivered either, and would be delivered at every start.
        const QString claimed = recoveredFolder + QLatin1Char('/') + name;
        if (!platform::PrivateFiles::makeFolder(recoveredFolder) ||
            !directory.rename(name, claimed)) {
            refuse(path, QStringLiteral("it cannot be removed"));
            return std::nullopt;
        }
        return claimed;
    }
};

} // namespace

void StaleRecordings::completeHeader(const QString &path)
{
    // A run killed while recording never wrote the final sizes: the header says there is no
    // audio, and the server would hear none.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray header = file.read(AudioRecorder::wavHeaderBytes);
    if (header.size() < AudioRecorder::wavHeaderBytes || !header.startsWith("RIFF") ||
        header.mid(36, 4) != "data")
        return;
    // Whole 16-bit samples only; a 32-bit size is all a WAV header can hold.
    const qint64 dataBytes = (file.size() - AudioRecorder::wavHeaderBytes) & ~qint64(1);
    if (dataBytes > 0xFFFFFFFFLL - 36 ||
        qFromLittleEndian<quint32>(header.constData() + 40) == quint32(dataBytes))
        return;
    char size[4];
    qToLittleEndian(quint32(36 + dataBytes), size);
    file.seek(4);
    file.write(size, 4);
    qToLittleEndian(quint32(dataBytes), size);
    file.seek(40);
    file.write(size, 4);
}

QStringList StaleRecordings::recover(const platform::Paths &paths, qint64 largestBytes)
{
    QStringList withAudio;
    const QString folder = paths.temporaryDirectory();
    // Without a folder of our own there is nothing to trust, and an empty path would be the
    // working directory.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return withAudio;
    QDir directory(folder);
    // The folder is this user's alone (the platform refuses any other): what is ours is what
    // its owner owns.
    const StaleCheck check{QFileInfo(folder).ownerId(), largestBytes,
                           directory.filePath(QStringLiteral("recovered"))};

    // Moved aside by a run killed while it recovered them.
    const QDir recovered(check.recoveredFolder);
    for (const QString &name : recovered.entryList(QDir::Files | QDir::Hidden)) {
        const QFileInfo entry(recovered.filePath(name));
        if (isRecordingName(name) && !entry.isSymLink() && check.accepts(entry))
            withAudio.append(entry.filePath());
    }
    const QStringList names =
        directory.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!isRecordingName(name))
            continue;
        if (const std::optional<QString> claimed = check.sortOut(directory, name))
            withAudio.append(*claimed);
    }
    for (const QString &path : std::as_const(withAudio))
        completeHeader(path);
    return withAudio;
}
