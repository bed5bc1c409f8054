// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace platform {
class Updater;
}

// The program's observable view of the update framework: whether a check may start now and
// whether the last check found a newer version. One instance lives for the whole process.
class UpdaterManager final : public QObject
{
    Q_OBJECT

public:
    static constexpr double updateCheckIntervalSeconds = 3600.0;

    // Starts `updater` (which must outlive the manager) and sets its automatic-check interval.
    explicit UpdaterManager(platform::Updater &updater, QObject *parent = nullptr);

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    bool updateAvailable() const { return m_updateAvailable; }
    platform::Updater &updater() const { return m_updater; }

    // The check the user starts; the updater shows its outcome itself.
    void checkForUpdates();
    // False in a build without an update feed, whatever was chosen: no check happens there.
    bool automaticallyChecksForUpdates() const;
    // Whether the automatic-check choice means anything in this build.
    bool hasUpdateFeed() const;
    void setAutomaticallyChecksForUpdates(bool enabled);

Q_SIGNALS:
    void canCheckForUpdatesChanged();
    void updateAvailableChanged();

private:
    void setCanCheckForUpdates(bool canCheck);
    void setUpdateAvailable(bool available);

    platform::Updater &m_updater;
    bool m_canCheckForUpdates = false;
    bool m_updateAvailable = false;
};
