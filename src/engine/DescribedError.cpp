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
