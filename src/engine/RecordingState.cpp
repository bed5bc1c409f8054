// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingState.h"

QString RecordingState::toString() const
{
    switch (m_kind) {
    case Kind::idle:
        return QStringLiteral("idle");
    case Kind::recording:
        return QStringLiteral("recording");
    case Kind::processing:
        return QStringLiteral("processing");
    case Kind::error:
        return QStringLiteral("error(%1)").arg(m_message);
    }
    return {};
}
