// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SoundPlayer.h"

#include <QStringList>

#include <memory>

namespace testsupport {

// Named sounds that only record what is done with them: transcript() reads like
// "stop Glass, play Glass". Names outside the available list resolve to nothing.
class FakeSoundPlayer final : public platform::SoundPlayer
{
public:
    explicit FakeSoundPlayer(QStringList available = {QStringLiteral("Tink"),
                                                      QStringLiteral("Glass"),
                                                      QStringLiteral("Basso")});
    ~FakeSoundPlayer() override;

    std::unique_ptr<Sound> soundNamed(const QString &name) override;

    // Every name asked for, in order, resolved or not.
    QStringList lookups() const;
    QString transcript() const;
    void clear();

private:
    QStringList m_available;
    QStringList m_lookups;
    std::shared_ptr<QStringList> m_log = std::make_shared<QStringList>();
};

} // namespace testsupport
