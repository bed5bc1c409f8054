// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempPaths.h"

#include <QDir>

namespace testsupport {

TempPaths::TempPaths()
    : m_support(m_root.path() + QStringLiteral("/support")),
      m_temp(m_root.path() + QStringLiteral("/tmp"))
{
    QDir().mkpath(m_support);
    QDir().mkpath(m_temp);
}

} // namespace testsupport
