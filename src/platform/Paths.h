// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Where the program keeps its files. Callers append their own "Parlovox" folder.
class Paths
{
public:
    virtual ~Paths() = default;

    // The per-user application-support root (for example ~/.local/share).
    virtual QString applicationSupportDirectory() const = 0;
    // The directory for short-lived files such as recordings in progress.
    virtual QString temporaryDirectory() const = 0;
};

} // namespace platform
