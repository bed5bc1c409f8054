// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DescribedError.h"

// The failures the transcription client detects itself (transport, file and decoding failures
// have their own types).
class TranscriptionError final : public DescribedError
{
public:
    enum class Kind {
        serverError,     // any status other than 200, with the reply body as message
        invalidURL,      // the server URL plus "/inference" is no URL
        invalidResponse, // no HTTP reply, or one too large to accept
    };

    static TranscriptionError serverError(int statusCode, const QString &message);
    static TranscriptionError invalidURL();
    static TranscriptionError invalidResponse();

    Kind kind() const { return m_kind; }
    // Only meaningful for serverError.
    int statusCode() const { return m_statusCode; }
    QString message() const { return m_message; }

    // "Server error 503: busy", "Invalid server URL", "Invalid server response".
    QString description() const override;

    friend bool operator==(const TranscriptionError &a, const TranscriptionError &b)
    {
        return a.m_kind == b.m_kind && a.m_statusCode == b.m_statusCode &&
               a.m_message == b.m_message;
    }

private:
    TranscriptionError(Kind kind, int statusCode, const QString &message)
        : m_kind(kind), m_statusCode(statusCode), m_message(message)
    {}

    Kind m_kind;
    int m_statusCode = 0;
    QString m_message;
};
