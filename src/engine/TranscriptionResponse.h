// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The server's successful reply: a JSON object whose "text" holds the transcript. Other keys are
// ignored.
struct TranscriptionResponse
{
    QString text;

    // Throws DecodingError when `json` is not an object with a string under "text".
    static TranscriptionResponse decode(const QByteArray &json);

    friend bool operator==(const TranscriptionResponse &, const TranscriptionResponse &) = default;
};
