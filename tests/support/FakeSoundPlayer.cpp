// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeSoundPlayer.h"

namespace testsupport {

namespace {

class FakeSound final : public platform::SoundPlayer::Sound
{
public:
    FakeSound(std::shared_ptr<QStringList> log, QString name)
        : m_log(std::move(log)), m_name(std::move(name))
    {}
    void stop() override { m_log->append(QStringLiteral("stop ") + m_name); }
    bool play() override
    {
        m_log->append(QStringLiteral("play ") + m_name);
        return true;
    }

private:
    std::shared_ptr<QStringList> m_log;
    QString m_name;
};

} // namespace

FakeSoundPlayer::FakeSoundPlayer(QStringList available) : m_available(std::move(available)) {}

FakeSoundPlayer::~FakeSoundPlayer() = default;

std::unique_ptr<platform::SoundPlayer::Sound> FakeSoundPlayer::soundNamed(const QString &name)
{
    m_lookups.append(name);
    if (!m_available.contains(name))
        return nullptr;
    return std::make_unique<FakeSound>(m_log, name);
}

QStringList FakeSoundPlayer::lookups() const
{
    return m_lookups;
}
QString FakeSoundPlayer::transcript() const
{
    return m_log->join(QStringLiteral(", "));
}
void FakeSoundPlayer::clear()
{
    m_log->clear();
}

} // namespace testsupport
