// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/DescribedError.h"

const char *DescribedError::what() const noexcept
{
    try {
        m_what = description().toStdString();
    } catch (...) {
        return "DescribedError";
    }
    return m_what.c_str();
}

QString DescribedError::describe(const std::exception_ptr &error)
{
    if (!error)
        return QStringLiteral("Unknown error");
    try {
        std::rethrow_exception(error);
    } catch (const DescribedError &e) {
        return limited(e.description());
    } catch (const std::exception &e) {
        return limited(QString::fromUtf8(e.what()));
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

QString DescribedError::limited(const QString &text)
{
    if (text.size() <= maximumTextLength)
        return text;
    qsizetype length = maximumTextLength;
    // Never keep half of a character that takes two UTF-16 units.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length) + QStringLiteral("…");
}
