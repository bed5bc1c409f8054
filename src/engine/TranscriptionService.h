// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QString>

class HttpClient;

namespace platform {
class Bundle;
class Scheduler;
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
    // The slowest uplink an upload is given time for when its deadline is set (256 kbit/s).
    static constexpr double slowLinkBytesPerSecond = 32 * 1024;
    // 307 and 308 redirects followed for one upload at most.
    static constexpr int maximumRedirects = 5;

    // The device id comes from `defaults` ("sentryUserId"), the version header from `bundle`;
    // `scheduler` measures the upload's deadline across redirects.
    TranscriptionService(HttpClient &http, const platform::Scheduler &scheduler,
                         const platform::UserDefaults &defaults, const platform::Bundle &bundle);

    // Uploads the WAV at `filePath` and returns the recognised text without control characters
    // (withoutControlCharacters), trimmed.
    // Empty `language`, `prompt` or `appSecret` are left out of the request. `timeoutSeconds`
    // bounds each wait for the server (60 s when it is not positive, rather than no bound); the
    // whole upload also ends at deadlineSeconds(). A 307 or 308 redirect is followed with the
    // same request; any other redirect fails, naming the new address, so the recording is kept.
    // Throws, in order of checking: TransportError::notAServer (a server URL that cannot be
    // used, before the file is read), FileReadError, TransportError,
    // TranscriptionError::invalidResponse, TranscriptionError::serverError (status other than 200),
    // DecodingError.
    QCoro::Task<QString> transcribe(QString filePath, QString serverURL, QString language,
                                    QString prompt, QString appSecret, double timeoutSeconds);

    // The overall limit of one upload: twice the wait limit (for connecting and for the
    // server's answer) plus the body's time on a slow uplink. A 300 s recording (9.6 MB) with
    // the 30 s limit of a live dictation gets about six minutes.
    static double deadlineSeconds(double timeoutSeconds, qint64 bodyBytes);

    // The multipart body in three pieces, so the recording is never copied: the file part's
    // head, the WAV itself, then CRLF, temperature, response_format, language and prompt (when
    // not empty), beam_size, best_of and the closing delimiter.
    static QList<QByteArray> bodyPieces(const QByteArray &boundary, const QByteArray &wav,
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

    HttpClient &m_http;
    const platform::Scheduler &m_scheduler;
    const platform::UserDefaults &m_defaults;
    const platform::Bundle &m_bundle;
};
