// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionService.h"

#include "engine/ControlCharacters.h"
#include "engine/DescribedError.h"
#include "engine/FileReadError.h"
#include "engine/HttpClient.h"
#include "engine/ServerEndpoint.h"
#include "engine/TranscriptionError.h"
#include "engine/TranscriptionResponse.h"
#include "engine/TransportError.h"
#include "platform/Bundle.h"
#include "platform/Scheduler.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>

#include <algorithm>

namespace {

using Outcome = HttpClient::Response::Outcome;

const QString kInvalidServerURL = QStringLiteral("Invalid server URL");

// The server's text for a failed status: the body as UTF-8, or "Unknown error" when it is not
// UTF-8. Only the part an error text can keep is decoded, so a huge error page costs nothing.
QString serverMessage(const QByteArray &body)
{
    if (!body.isValidUtf8())
        return QStringLiteral("Unknown error");
    // Four bytes at most per character: this prefix holds every character that is kept.
    const qsizetype prefix = (DescribedError::maximumTextLength + 1) * 4;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(body).first(std::min(prefix, body.size())));
    return DescribedError::limited(withoutControlCharacters(text));
}

// A line break in a stored value (the device id comes from a hand-editable settings file) would
// smuggle extra headers into the request. Such a header is left out instead.
void addHeader(HttpClient::Request &request, const QByteArray &name, const QString &text)
{
    const QByteArray value = text.toUtf8();
    if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
        return;
    request.headers.append({name, value});
}

QByteArray readRecording(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileReadError(path, file.errorString());
    QByteArray wav = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileReadError(path, file.errorString());
    return wav;
}

// Where a 307 or 308 may take the upload: an http or https URL, and never from https to http.
bool mayFollow(const QUrl &from, const QUrl &to)
{
    const QString scheme = to.scheme().toLower();
    if (!to.isValid() || to.host().isEmpty())
        return false;
    if (scheme == QLatin1String("https"))
        return true;
    return scheme == QLatin1String("http") && from.scheme().toLower() != QLatin1String("https");
}

TransportError redirectedTo(const QString &address)
{
    // The text goes into the log, the queue and crash reports as well as the window: the address
    // without its user, password and query says all the user needs to mend the URL.
    return TransportError(
        TransportError::Kind::redirected,
        QStringLiteral("Server redirected the upload to %1; change the server "
                       "URL")
            .arg(ServerEndpoint::redacted(address, ServerEndpoint::Redaction::forReport)));
}

// The outcome of a transfer that did not bring a whole reply, as the error it is.
void throwUnlessCompleted(const HttpClient::Response &response)
{
    switch (response.outcome) {
    case Outcome::completed:
        return;
    case Outcome::tooLarge:
    case Outcome::invalidReply:
        throw TranscriptionError::invalidResponse();
    case Outcome::timedOut:
        throw TransportError(TransportError::Kind::timedOut,
                             QStringLiteral("The request timed out."));
    case Outcome::cancelled:
        throw TransportError(TransportError::Kind::cancelled, response.errorText);
    case Outcome::failed:
        break;
    }
    throw TransportError(TransportError::Kind::failed, response.errorText);
}

} // namespace

TranscriptionService::TranscriptionService(HttpClient &http, const platform::Scheduler &scheduler,
                                           const platform::UserDefaults &defaults,
                                           const platform::Bundle &bundle)
    : m_http(http), m_scheduler(scheduler), m_defaults(defaults), m_bundle(bundle)
{}

double TranscriptionService::deadlineSeconds(double timeoutSeconds, qint64 bodyBytes)
{
    const double wait = timeoutSeconds > 0 ? timeoutSeconds : 60.0;
    return 2 * wait + static_cast<double>(bodyBytes) / slowLinkBytesPerSecond;
}

QCoro::Task<QString> TranscriptionService::transcribe(QString filePath, QString serverURL,
                                                      QString language, QString prompt,
                                                      QString appSecret, double timeoutSeconds)
{
    const ServerEndpoint endpoint = ServerEndpoint::of(serverURL, QStringLiteral("/inference"));
    if (!endpoint.isUsable())
        throw TransportError(TransportError::Kind::notAServer, kInvalidServerURL);
    const QByteArray wav = readRecording(filePath);
    const QByteArray boundary =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();

    HttpClient::Request request;
    request.method = "POST";
    request.url = endpoint.url();
    request.headers.append({"Content-Type", "multipart/form-data; boundary=" + boundary});
    if (!appSecret.isEmpty())
        addHeader(request, "X-App-Secret", appSecret);
    if (const auto deviceId = m_defaults.string(QStringLiteral("sentryUserId")))
        addHeader(request, "X-Device-Id", *deviceId);
    addHeader(request, "X-App-Version", appVersion());
    addHeader(request, "X-OS-Version", osVersion());
    request.body = bodyPieces(boundary, wav, language, prompt);
    request.maximumReplyBytes = maximumReplySize;
    request.idleTimeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : 60.0;

    qint64 bodyBytes = 0;
    for (const QByteArray &piece : std::as_const(request.body))
        bodyBytes += piece.size();
    // The service may be gone when a transfer ends; only these are used after a wait.
    HttpClient &http = m_http;
    const platform::Scheduler &clock = m_scheduler;
    const double deadline = clock.monotonic() + deadlineSeconds(timeoutSeconds, bodyBytes);

    for (int redirects = 0;; ++redirects) {
        request.deadlineSeconds = std::max(0.0, deadline - clock.monotonic());
        const HttpClient::Response response = co_await http.send(request);
        throwUnlessCompleted(response);
        const int status = response.status;
        if (status >= 300 && status < 400 && !response.redirectUrl.isEmpty()) {
            // A 301, 302 or 303 would turn the upload into a GET and lose the recording to the
            // "not retryable" answer of the wrong endpoint: only 307 and 308 keep it a POST.
            const QUrl target(response.redirectUrl, QUrl::StrictMode);
            if ((status != 307 && status != 308) || redirects >= maximumRedirects ||
                !mayFollow(request.url, target))
                throw redirectedTo(response.redirectUrl);
            request.url = target;
            continue;
        }
        if (status != 200)
            throw TranscriptionError::serverError(status, serverMessage(response.body));
        // Cleaned here, once, so no copy that is stored, shown or pasted carries them.
        co_return withoutControlCharacters(TranscriptionResponse::decode(response.body).text)
            .trimmed();
    }
}

QList<QByteArray> TranscriptionService::bodyPieces(const QByteArray &boundary,
                                                   const QByteArray &wav, const QString &language,
                                                   const QString &prompt)
{
    QByteArray head = "--" + boundary + "\r\n";
    head += "Content-Disposition: form-data; name=\"file\"; filename=\"recording.wav\"\r\n";
    head += "Content-Type: audio/wav\r\n\r\n";
    QByteArray tail = "\r\n";
    appendFormField(tail, boundary, QStringLiteral("temperature"), QStringLiteral("0.0"));
    appendFormField(tail, boundary, QStringLiteral("response_format"), QStringLiteral("json"));
    if (!language.isEmpty())
        appendFormField(tail, boundary, QStringLiteral("language"), language);
    if (!prompt.isEmpty())
        appendFormField(tail, boundary, QStringLiteral("prompt"), prompt);
    appendFormField(tail, boundary, QStringLiteral("beam_size"), QStringLiteral("5"));
    appendFormField(tail, boundary, QStringLiteral("best_of"), QStringLiteral("5"));
    tail += "--" + boundary + "--\r\n";
    return {head, wav, tail};
}

void TranscriptionService::appendFormField(QByteArray &body, const QByteArray &boundary,
                                           const QString &name, const QString &value)
{
    // Values go out unescaped, as the server has always received them.
    body += "--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"" + name.toUtf8() + "\"\r\n\r\n";
    body += value.toUtf8();
    body += "\r\n";
}

QString TranscriptionService::appVersion() const
{
    const auto text = [this](const char *key) {
        const auto value = m_bundle.infoValue(QString::fromLatin1(key));
        return value && value->isString() ? value->toString() : QStringLiteral("unknown");
    };
    return text("CFBundleShortVersionString") + QLatin1Char('(') + text("CFBundleVersion") +
           QLatin1Char(')');
}

QString TranscriptionService::osVersion()
{
    static const QString version = osVersionFromKernelRelease(QSysInfo::kernelVersion());
    return version;
}

QString TranscriptionService::osVersionFromKernelRelease(const QString &release)
{
    // Distributions share no three-number version; the kernel's release ("6.1.0-18-amd64")
    // is what every Linux system has.
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = pattern.match(release.trimmed());
    QStringList numbers;
    for (int i = 1; i <= 3; ++i) {
        bool ok = false;
        const qulonglong number = match.captured(i).toULongLong(&ok);
        numbers.append(QString::number(ok ? number : 0));
    }
    return numbers.join(QLatin1Char('.'));
}
