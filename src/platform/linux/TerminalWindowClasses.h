// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowSystem.h"

#include <QByteArray>

namespace platform::linux_impl {

// How a program pastes, told from the two names of its window's WM_CLASS (instance and class,
// either may match, case ignored): the known terminals paste with a keystroke of their own,
// everything else takes the usual chord.
WindowSystem::PasteTarget pasteTargetForWindowClass(const QByteArray &instanceName,
                                                    const QByteArray &className);

} // namespace platform::linux_impl
