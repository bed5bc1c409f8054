// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DescribedError.h"

#include <QNetworkReply>

// The HTTP client could not complete the exchange: no connection, timeout, cancellation, TLS
// failure, a reply cut short and the like. Always worth retrying.
class TransportError final : public DescribedError
{
public:
    TransportError(QNetworkReply::NetworkError code, const QString &text)
        : m_code(code), m_text(text)
    {}

    QNetworkReply::NetworkError code() const { return m_code; }
    // The client's own text for the failure.
    QString description() const override { return m_text; }

private:
    QNetworkReply::NetworkError m_code;
    QString m_text;
};
