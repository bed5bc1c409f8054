// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

namespace platform {

// Deletes a QObject on a later turn of the event loop, never at once: the object may be emitting
// the very signal whose handler lets go of it (a network reply's finished, a socket notifier's
// activated), and deleting it there would pull it from under its own caller.
struct DeleteLater
{
    void operator()(QObject *object) const
    {
        if (object)
            object->deleteLater();
    }
};

template <typename T> using DeleteLaterPtr = std::unique_ptr<T, DeleteLater>;

} // namespace platform
