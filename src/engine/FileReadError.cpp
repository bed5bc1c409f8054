// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileReadError.h"

QString FileReadError::description() const
{
    return QStringLiteral("Could not read ") + m_path + QStringLiteral(": ") + m_reason;
}
