// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionService.h"

#include "engine/FileReadError.h"
#include "engine/TranscriptionError.h"
#include "engine/TranscriptionResponse.h"
#include "engine/TransportError.h"
#include "platform/Bundle.h"
#include "platform/DeleteLater.h"
#include "platform/UserDefaults.h"

#include <QCoroNetworkReply>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>

#include <cmath>
#include <limits>
#include <memory>

namespace {

int timeoutMilliseconds(double seconds)
{
    // Zero would switch Qt's transfer timeout off altogether; keep the request default then.
    if (!(seconds > 0))
        return 60'000;
    const double ms = std::ceil(seconds * 1000.0);
    return ms >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                 : static_cast<int>(ms);
}

// Qt reports HTTP statuses of 400 and above as reply errors too (content and server classes,
// 400 and 418 as an invalid operation, 407 as a proxy error), and a redirect it cannot follow
// (no usable Location) as an unknown protocol. Those are answers of the server; every other
// error means the exchange itself failed, even when a status line had already arrived (a reply
// cut short, a body that does not decompress).
bool isTransportFailure(QNetworkReply::NetworkError error, const QVariant &status)
{
    if (error == QNetworkReply::NoError)
        return false;
    const int code = status.isValid() ? status.toInt() : 0;
    if (code >= 300 && code < 400)
        return error != QNetworkReply::ProtocolUnknownError;
    if (code < 400)
        return true;
    const bool derivedFromStatus = (error >= QNetworkReply::ContentAccessDenied &&
                                    error <= QNetworkReply::UnknownContentError) ||
                                   (error >= QNetworkReply::InternalServerError &&
                                    error <= QNetworkReply::UnknownServerError) ||
                                   error == QNetworkReply::ProtocolInvalidOperationError ||
                                   error == QNetworkReply::ProxyAuthenticationRequiredError;
    return !derivedFromStatus;
}

QString serverMessage(const QByteArray &body)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError())
        return QStringLiteral("Unknown error");
    return text;
}

// Qt writes header values as given, so a line break in a stored value (the device id comes
// from a hand-editable settings file) would smuggle extra headers into the request. Such a
// header is left out instead.
void setHeader(QNetworkRequest &request, const QByteArray &name, const QString &text)
{
    const QByteArray value = text.toUtf8();
    if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
        return;
    // A null value would make Qt drop the header; an empty one is still sent.
    request.setRawHeader(name, value.isNull() ? QByteArray("") : value);
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

// Never hold more than the limit: the reply is aborted as soon as its declared or received size
// exceeds it. The flag tells afterwards whether that happened.
std::shared_ptr<bool> abortWhenTooLarge(QNetworkReply *reply)
{
    const auto tooLarge = std::make_shared<bool>(false);
    const auto guard = [reply, tooLarge](qint64 received, qint64 total) {
        const qint64 limit = TranscriptionService::maximumReplySize;
        if (!*tooLarge && (received > limit || total > limit)) {
            *tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, guard);
    // Qt does not promise whether progress counts wire or inflated bytes, and a compressed
    // reply can hold far more once inflated: bound what is actually buffered too.
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, guard] { guard(reply->bytesAvailable(), -1); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, guard] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            guard(0, length.toLongLong());
    });
    return tooLarge;
}

// The outcome of a finished reply, checked in this order: too large, transport failure, no
// HTTP reply, a status other than 200, a body that does not decode.
QString textOf(QNetworkReply &reply, bool tooLarge)
{
    if (tooLarge)
        throw TranscriptionError::invalidResponse();
    // Nothing but the transfer timeout cancels the reply while we wait, and Qt reports that as
    // a plain cancellation; say what happened.
    if (reply.error() == QNetworkReply::OperationCanceledError)
        throw TransportError(QNetworkReply::TimeoutError, QStringLiteral("The request timed out."));
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (isTransportFailure(reply.error(), status))
        throw TransportError(reply.error(), reply.errorString());
    if (!status.isValid())
        throw TranscriptionError::invalidResponse();

    const QByteArray data = reply.readAll();
    const int statusCode = status.toInt();
    if (statusCode != 200)
        throw TranscriptionError::serverError(statusCode, serverMessage(data));
    return TranscriptionResponse::decode(data).text.trimmed();
}

} // namespace

TranscriptionService::TranscriptionService(QNetworkAccessManager &network,
                                           const platform::UserDefaults &defaults,
                                           const platform::Bundle &bundle)
    : m_network(network), m_defaults(defaults), m_bundle(bundle)
{}

QCoro::Task<QString> TranscriptionService::transcribe(QString filePath, QString serverURL,
                                                      QString language, QString prompt,
                                                      QString appSecret, double timeoutSeconds)
{
    // No slash handling: a URL ending in "/" yields "//inference", as it always has.
    const QUrl endpoint(serverURL + QStringLiteral("/inference"), QUrl::StrictMode);
    if (!endpoint.isValid())
        throw TranscriptionError::invalidURL();
    const QByteArray wav = readRecording(filePath);
    const QByteArray boundary =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toLatin1();

    QNetworkRequest request(endpoint);
    request.setTransferTimeout(timeoutMilliseconds(timeoutSeconds));
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + boundary);
    if (!appSecret.isEmpty())
        setHeader(request, "X-App-Secret", appSecret);
    if (const auto deviceId = m_defaults.string(QStringLiteral("sentryUserId")))
        setHeader(request, "X-Device-Id", *deviceId);
    setHeader(request, "X-App-Version", appVersion());
    setHeader(request, "X-OS-Version", osVersion());

    const platform::DeleteLaterPtr<QNetworkReply> reply(
        m_network.post(request, buildBody(boundary, wav, language, prompt)));
    const auto tooLarge = abortWhenTooLarge(reply.get());
    co_await reply.get();
    co_return textOf(*reply, *tooLarge);
}

QByteArray TranscriptionService::buildBody(const QByteArray &boundary, const QByteArray &wav,
                                           const QString &language, const QString &prompt)
{
    QByteArray body;
    body.reserve(wav.size() + 1024 + language.size() * 3 + prompt.size() * 3);
    body += "--" + boundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"file\"; filename=\"recording.wav\"\r\n";
    body += "Content-Type: audio/wav\r\n\r\n";
    body += wav;
    body += "\r\n";
    appendFormField(body, boundary, QStringLiteral("temperature"), QStringLiteral("0.0"));
    appendFormField(body, boundary, QStringLiteral("response_format"), QStringLiteral("json"));
    if (!language.isEmpty())
        appendFormField(body, boundary, QStringLiteral("language"), language);
    if (!prompt.isEmpty())
        appendFormField(body, boundary, QStringLiteral("prompt"), prompt);
    appendFormField(body, boundary, QStringLiteral("beam_size"), QStringLiteral("5"));
    appendFormField(body, boundary, QStringLiteral("best_of"), QStringLiteral("5"));
    body += "--" + boundary + "--\r\n";
    return body;
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
