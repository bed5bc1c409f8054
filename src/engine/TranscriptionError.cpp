// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TranscriptionError.h"

TranscriptionError TranscriptionError::serverError(int statusCode, const QString &message)
{
    return TranscriptionError(Kind::serverError, statusCode, message);
}

TranscriptionError TranscriptionError::invalidURL()
{
    return TranscriptionError(Kind::invalidURL, 0, {});
}

TranscriptionError TranscriptionError::invalidResponse()
{
    return TranscriptionError(Kind::invalidResponse, 0, {});
}

QString TranscriptionError::description() const
{
    switch (m_kind) {
    case Kind::serverError:
        return QStringLiteral("Server error ") + QString::number(m_statusCode) +
               QStringLiteral(": ") + m_message;
    case Kind::invalidURL:
        return QStringLiteral("Invalid server URL");
    case Kind::invalidResponse:
        return QStringLiteral("Invalid server response");
    }
    return {};
}
