// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

namespace platform::linux_impl {

// Writes integer PCM into a RIFF/WAVE file, unbuffered so what was appended is on disk at once. The
// header is written at open() for zero samples and rewritten by finish(), so the file is valid both
// right after opening and after finishing.
class WavFileWriter final
{
public:
    WavFileWriter() = default;
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter &) = delete;
    WavFileWriter &operator=(const WavFileWriter &) = delete;

    // Creates or truncates `path`; false with errorString() set when the file cannot be written.
    bool open(const QString &path, int sampleRate, int channels, int bitsPerSample);
    // Appends whole sample frames (a trailing partial frame is kept for the next call); false
    // with errorString() set when they could not all be written.
    bool append(const char *data, qint64 size);
    // Rewrites the header for the samples written and closes the file; later appends are refused.
    bool finish();

    bool isOpen() const { return m_file.isOpen(); }
    qint64 dataBytes() const { return m_dataBytes; }
    // Why the last open() or append() failed.
    QString errorString() const { return m_error; }

    static constexpr qint64 headerSize = 44;

private:
    QByteArray header() const;

    QFile m_file;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_bitsPerSample = 0;
    qint64 m_dataBytes = 0;
    QByteArray m_partialFrame;
    QString m_error;
};

} // namespace platform::linux_impl
