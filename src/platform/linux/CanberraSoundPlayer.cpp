// SPDX-License-Identifier: GPL-3.0-or-later
#include "CanberraSoundPlayer.h"

#include <QStandardPaths>

#include <canberra.h>

namespace platform::linux_impl {

namespace {

class CanberraSound final : public SoundPlayer::Sound
{
public:
    CanberraSound(ca_context *context, quint32 id, QByteArray eventId, QByteArray name)
        : m_context(context), m_id(id), m_eventId(std::move(eventId)), m_name(std::move(name))
    {}

    void stop() override
    {
        if (m_context)
            ca_context_cancel(m_context, m_id);
    }

    bool play() override
    {
        if (!m_context)
            return false;
        return ca_context_play(m_context, m_id, CA_PROP_EVENT_ID, m_eventId.constData(),
                               CA_PROP_EVENT_DESCRIPTION, m_name.constData(),
                               CA_PROP_CANBERRA_CACHE_CONTROL, "permanent", nullptr) == CA_SUCCESS;
    }

private:
    ca_context *m_context;
    quint32 m_id;
    QByteArray m_eventId;
    QByteArray m_name;
};

// The freedesktop theme is the fallback of every sound theme, so a name resolves when its event
// exists there.
bool themeHasEvent(const QString &eventId)
{
    for (const char *extension : {".oga", ".ogg", ".wav"}) {
        const QString file =
            QStringLiteral("sounds/freedesktop/stereo/") + eventId + QLatin1String(extension);
        if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation, file).isEmpty())
            return true;
    }
    return false;
}

} // namespace

CanberraSoundPlayer::CanberraSoundPlayer()
{
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Parlovox", CA_PROP_APPLICATION_ID,
                            "parlovox", nullptr);
}

// The context is deliberately not destroyed. With libcanberra's ALSA driver (machines without
// libcanberra-pulse), destroying it while a sound still plays unloads the driver under the audio
// plugin's thread and the process crashes moments later. The player lives as long as the process,
// which reclaims the context at exit.
CanberraSoundPlayer::~CanberraSoundPlayer() = default;

QString CanberraSoundPlayer::eventIdFor(const QString &name)
{
    // The start tick plays just before the microphone opens; a short one stays out of the
    // recording.
    static const QHash<QString, QString> events = {
        {QStringLiteral("Tink"), QStringLiteral("audio-volume-change")},
        {QStringLiteral("Glass"), QStringLiteral("complete")},
        {QStringLiteral("Basso"), QStringLiteral("dialog-warning")},
    };
    return events.value(name);
}

std::unique_ptr<SoundPlayer::Sound> CanberraSoundPlayer::soundNamed(const QString &name)
{
    const QString eventId = eventIdFor(name);
    if (eventId.isEmpty() || !themeHasEvent(eventId))
        return nullptr;
    return std::make_unique<CanberraSound>(m_context, m_nextId++, eventId.toUtf8(), name.toUtf8());
}

} // namespace platform::linux_impl
