// SPDX-License-Identifier: GPL-3.0-or-later
#include "PendingTranscription.h"

#include <QJsonValue>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace {

const QString idKey = QStringLiteral("id");
const QString wavFilenameKey = QStringLiteral("wavFilename");
const QString recordedAtKey = QStringLiteral("recordedAt");
const QString failedAtKey = QStringLiteral("failedAt");
const QString failureReasonKey = QStringLiteral("failureReason");
const QString retryCountKey = QStringLiteral("retryCount");

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch.
constexpr qint64 referenceDateMs = 978307200000LL;

// JSON has one number type; a count must be a whole number that fits.
std::optional<qint64> integerValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<QDateTime> dateValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double seconds = value.toDouble();
    // About ±285 000 years; beyond that QDateTime cannot hold the instant.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 9.0e12)
        return std::nullopt;
    return PendingTranscription::fromSecondsSinceReferenceDate(seconds);
}

} // namespace

double PendingTranscription::secondsSinceReferenceDate(const QDateTime &date)
{
    return static_cast<double>(date.toMSecsSinceEpoch() - referenceDateMs) / 1000.0;
}

QDateTime PendingTranscription::fromSecondsSinceReferenceDate(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(referenceDateMs + std::llround(seconds * 1000.0),
                                          QTimeZone::utc());
}

bool PendingTranscription::isSafeFilename(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1String("..")) &&
           !name.contains(QChar(0)) && name != QLatin1String("queue.json");
}

QJsonObject PendingTranscription::toJson() const
{
    return QJsonObject{
        {idKey, id.toString(QUuid::WithoutBraces).toUpper()},
        {wavFilenameKey, wavFilename},
        {recordedAtKey, secondsSinceReferenceDate(recordedAt)},
        {failedAtKey, secondsSinceReferenceDate(failedAt)},
        {failureReasonKey, failureReason},
        {retryCountKey, retryCount},
    };
}

std::optional<PendingTranscription> PendingTranscription::fromJson(const QJsonObject &object)
{
    const QJsonValue id = object.value(idKey);
    const QJsonValue wavFilename = object.value(wavFilenameKey);
    const QJsonValue failureReason = object.value(failureReasonKey);
    if (!id.isString() || !wavFilename.isString() || !failureReason.isString())
        return std::nullopt;
    // Only the bare 36-character form is a valid id, in either case.
    const QString idText = id.toString();
    const QUuid uuid = QUuid::fromString(idText);
    if (idText.size() != 36 ||
        (uuid.isNull() && idText != QLatin1String("00000000-0000-0000-0000-000000000000")))
        return std::nullopt;
    const std::optional<QDateTime> recordedAt = dateValue(object.value(recordedAtKey));
    const std::optional<QDateTime> failedAt = dateValue(object.value(failedAtKey));
    const std::optional<qint64> retryCount = integerValue(object.value(retryCountKey));
    if (!recordedAt || !failedAt || !retryCount)
        return std::nullopt;
    return PendingTranscription{uuid,      wavFilename.toString(),   *recordedAt,
                                *failedAt, failureReason.toString(), *retryCount};
}
