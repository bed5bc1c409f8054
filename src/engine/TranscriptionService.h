// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>

class QNetworkAccessManager;

namespace platform {
class Bundle;
class UserDefaults;
} // namespace platform

// The speech-recognition client: one multipart POST of a WAV file to <server URL>/inference,
// answered by a JSON object carrying "text". Keeps no state and never retries; any number of
// calls may run at once.
class TranscriptionService final
{
public:
    // Replies larger than this are aborted unread (invalidResponse) so a misbehaving server
    // cannot exhaust memory.
    static constexpr qint64 maximumReplySize = 16 * 1024 * 1024;

    // The device id comes from `defaults` ("sentryUserId"), the version header from `bundle`.
    TranscriptionService(QNetworkAccessManager &network, const platform::UserDefaults &defaults,
                         const platform::Bundle &bundle);

    // Uploads the WAV at `filePath` and returns the recognised text, trimmed.
    // Empty `language`, `prompt` or `appSecret` are left out of the request. `timeoutSeconds`
    // bounds each wait for the server (60 s when it is not positive, rather than no bound).
    // Throws, in order of checking: TranscriptionError::invalidURL (before the file is read),
    // FileReadError, TransportError, TranscriptionError::invalidResponse,
    // TranscriptionError::serverError (status other than 200), DecodingError.
    QCoro::Task<QString> transcribe(QString filePath, QString serverURL, QString language,
                                    QString prompt, QString appSecret, double timeoutSeconds);

    // The multipart body: the file part, then temperature, response_format, language and prompt
    // (when not empty), beam_size and best_of, then the closing delimiter.
    static QByteArray buildBody(const QByteArray &boundary, const QByteArray &wav,
                                const QString &language, const QString &prompt);

    // "X-App-Version": short version "(" build version ")", "unknown" for a missing value.
    QString appVersion() const;
    // "X-OS-Version": the running kernel's major.minor.patch.
    static QString osVersion();
    // major.minor.patch of a kernel release such as "6.1.0-18-amd64"; missing numbers are 0.
    static QString osVersionFromKernelRelease(const QString &release);

private:
    // Appends one text part: "--B", its disposition line, an empty line, the value.
    static void appendFormField(QByteArray &body, const QByteArray &boundary, const QString &name,
                                const QString &value);

    QNetworkAccessManager &m_network;
    const platform::UserDefaults &m_defaults;
    const platform::Bundle &m_bundle;
};
