// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace platform::linux_impl {

QString StandardPaths::applicationSupportDirectory() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString StandardPaths::temporaryDirectory() const
{
    return QDir::tempPath();
}

} // namespace platform::linux_impl
