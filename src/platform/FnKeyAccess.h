// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Whether the Fn key can be seen here, and if not, why.
enum class FnKeyAccess {
    // Some input device this user may read reports the key.
    seen,
    // No keyboard here reports the key: holding Fn cannot work until one that has it connects.
    noKeyboard,
    // A keyboard that has the key, or may have it, is there, but this user may not read it.
    notPermitted,
};

} // namespace platform
