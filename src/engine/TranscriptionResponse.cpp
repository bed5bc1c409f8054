// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionResponse.h"

#include "engine/DecodingError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

TranscriptionResponse TranscriptionResponse::decode(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw DecodingError(DecodingError::Kind::dataCorrupted, {}, parseError.errorString());
    if (!document.isObject())
        throw DecodingError(DecodingError::Kind::typeMismatch, {});
    const QJsonObject object = document.object();
    const QString key = QStringLiteral("text");
    if (!object.contains(key))
        throw DecodingError(DecodingError::Kind::keyNotFound, key);
    const QJsonValue value = object.value(key);
    if (value.isNull())
        throw DecodingError(DecodingError::Kind::valueNotFound, key);
    if (!value.isString())
        throw DecodingError(DecodingError::Kind::typeMismatch, key);
    return TranscriptionResponse{value.toString()};
}
