// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DescribedError.h"

// A reply body that does not decode into the expected JSON shape.
class DecodingError final : public DescribedError
{
public:
    enum class Kind {
        dataCorrupted, // not JSON at all
        keyNotFound,   // a required key is absent
        valueNotFound, // a required key holds null
        typeMismatch,  // a value (or the document itself) has the wrong JSON type
    };

    DecodingError(Kind kind, const QString &key, const QString &detail = {})
        : m_kind(kind), m_key(key), m_detail(detail)
    {}

    Kind kind() const { return m_kind; }
    // The key concerned; empty for the document itself.
    QString key() const { return m_key; }
    QString description() const override;

private:
    Kind m_kind;
    QString m_key;
    QString m_detail;
};
