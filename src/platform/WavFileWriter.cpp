// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavFileWriter.h"

#include <QtEndian>

#include <limits>

namespace platform::linux_impl {

namespace {

void putLE32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void putLE16(QByteArray &bytes, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

} // namespace

WavFileWriter::~WavFileWriter()
{
    if (m_file.isOpen())
        finish();
}

bool WavFileWriter::open(const QString &path, int sampleRate, int channels, int bitsPerSample)
{
    m_file.setFileName(path);
    m_sampleRate = sampleRate;
    m_channels = channels;
    m_bitsPerSample = bitsPerSample;
    m_dataBytes = 0;
    m_partialFrame.clear();
    m_error.clear();
    // Recordings are the user's speech: readable by the owner only, whatever the folder allows.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = m_file.errorString();
        return false;
    }
    const QByteArray bytes = header();
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        // A full disk lets the file be created but not written: leave no headerless file behind,
        // and keep the reason (closing the file clears it).
        m_error = m_file.errorString();
        m_file.remove();
        return false;
    }
    return true;
}

bool WavFileWriter::append(const char *data, qint64 size)
{
    if (!m_file.isOpen() || size <= 0)
        return m_file.isOpen();
    const qint64 frameBytes = qint64(m_channels) * (m_bitsPerSample / 8);
    QByteArray bytes = m_partialFrame;
    bytes.append(data, size);
    const qint64 whole = bytes.size() - bytes.size() % frameBytes;
    // RIFF sizes are 32-bit; beyond that the file would be unreadable, so stop growing it.
    if (headerSize + m_dataBytes + whole > std::numeric_limits<quint32>::max()) {
        m_error = QStringLiteral("The recording is too long for a WAV file");
        return false;
    }
    m_partialFrame = bytes.mid(whole);
    if (whole == 0)
        return true;
    // A disk filling up takes part of a write without an error; asking for the rest gets one.
    for (qint64 done = 0; done < whole;) {
        const qint64 written = m_file.write(bytes.constData() + done, whole - done);
        if (written <= 0) {
            m_error = m_file.errorString();
            return false;
        }
        done += written;
        m_dataBytes += written;
    }
    return true;
}

bool WavFileWriter::finish()
{
    if (!m_file.isOpen())
        return false;
    // A torn write may leave a partial frame at the end; the header counts whole frames only.
    const qint64 frameBytes = qint64(m_channels) * (m_bitsPerSample / 8);
    m_dataBytes -= m_dataBytes % frameBytes;
    bool ok = m_file.flush();
    ok = m_file.resize(headerSize + m_dataBytes) && ok;
    ok = m_file.seek(0) && ok;
    const QByteArray bytes = header();
    ok = m_file.write(bytes) == bytes.size() && ok;
    ok = m_file.flush() && ok;
    m_file.close();
    m_partialFrame.clear();
    return ok;
}

QByteArray WavFileWriter::header() const
{
    const quint16 blockAlign = quint16(m_channels * (m_bitsPerSample / 8));
    QByteArray bytes;
    bytes.reserve(headerSize);
    bytes.append("RIFF", 4);
    putLE32(bytes, quint32(36 + m_dataBytes));
    bytes.append("WAVE", 4);
    bytes.append("fmt ", 4);
    putLE32(bytes, 16);
    putLE16(bytes, 1); // integer PCM
    putLE16(bytes, quint16(m_channels));
    putLE32(bytes, quint32(m_sampleRate));
    putLE32(bytes, quint32(m_sampleRate) * blockAlign);
    putLE16(bytes, blockAlign);
    putLE16(bytes, quint16(m_bitsPerSample));
    bytes.append("data", 4);
    putLE32(bytes, quint32(m_dataBytes));
    return bytes;
}

} // namespace platform::linux_impl
