// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"

namespace platform::linux_impl {

// The program's real services on an X11 desktop.
std::unique_ptr<Services> createLinuxServices();

} // namespace platform::linux_impl
