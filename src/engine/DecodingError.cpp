// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/DecodingError.h"

QString DecodingError::description() const
{
    const QString where =
        m_key.isEmpty() ? QStringLiteral("the reply") : QStringLiteral("\"%1\"").arg(m_key);
    QString text;
    switch (m_kind) {
    case Kind::dataCorrupted:
        text = QStringLiteral("The server's reply is not valid JSON");
        break;
    case Kind::keyNotFound:
        text = QStringLiteral("The server's reply has no %1 key").arg(where);
        break;
    case Kind::valueNotFound:
        text = QStringLiteral("The server's reply holds null for %1").arg(where);
        break;
    case Kind::typeMismatch:
        text = QStringLiteral("The server's reply has the wrong type for %1").arg(where);
        break;
    }
    if (!m_detail.isEmpty())
        text += QStringLiteral(" (") + m_detail + QLatin1Char(')');
    return text;
}
