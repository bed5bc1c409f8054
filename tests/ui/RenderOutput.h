// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QWidget>

namespace testsupport {

// Writes what `widget` shows to renders/<name>.png under the build folder, so every state of a
// window can be looked at without a desktop.
inline void saveRender(QWidget &widget, const QString &name)
{
    const QString directory = QStringLiteral(PARLOVOX_RENDERS_DIR);
    QDir().mkpath(directory);
    widget.grab().save(directory + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace testsupport
