// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SoundPlayer.h"

#include <QHash>

struct ca_context;

namespace platform::linux_impl {

// Named system sounds played through libcanberra from the freedesktop sound theme. The program's
// names map to theme events: "Tink" (a start) to a short tick, "Glass" (a success) to
// "complete", "Basso" (a warning) to "dialog-warning".
class CanberraSoundPlayer final : public SoundPlayer
{
public:
    CanberraSoundPlayer();
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer &) = delete;
    CanberraSoundPlayer &operator=(const CanberraSoundPlayer &) = delete;

    std::unique_ptr<Sound> soundNamed(const QString &name) override;

    // The theme event id for one of the program's sound names, or empty.
    static QString eventIdFor(const QString &name);

private:
    ca_context *m_context = nullptr;
    quint32 m_nextId = 1;
};

} // namespace platform::linux_impl
