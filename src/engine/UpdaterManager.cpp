// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdaterManager.h"

#include "platform/Updater.h"

UpdaterManager::UpdaterManager(platform::Updater &updater, QObject *parent)
    : QObject(parent), m_updater(updater)
{
    m_updater.start();
    m_updater.setUpdateCheckInterval(updateCheckIntervalSeconds);
    setCanCheckForUpdates(m_updater.canCheckForUpdates());
    connect(&m_updater, &platform::Updater::canCheckForUpdatesChanged, this,
            [this] { setCanCheckForUpdates(m_updater.canCheckForUpdates()); });
    // Results reach the property on a later turn of the main loop, whatever thread reported them.
    connect(
        &m_updater, &platform::Updater::didFindValidUpdate, this,
        [this] { setUpdateAvailable(true); }, Qt::QueuedConnection);
    connect(
        &m_updater, &platform::Updater::didNotFindUpdate, this,
        [this] { setUpdateAvailable(false); }, Qt::QueuedConnection);
}

void UpdaterManager::checkForUpdates()
{
    m_updater.checkForUpdates();
}

bool UpdaterManager::automaticallyChecksForUpdates() const
{
    return m_updater.hasUpdateFeed() && m_updater.automaticallyChecksForUpdates();
}

bool UpdaterManager::hasUpdateFeed() const
{
    return m_updater.hasUpdateFeed();
}

void UpdaterManager::setAutomaticallyChecksForUpdates(bool enabled)
{
    m_updater.setAutomaticallyChecksForUpdates(enabled);
}

void UpdaterManager::setCanCheckForUpdates(bool canCheck)
{
    if (m_canCheckForUpdates == canCheck)
        return;
    m_canCheckForUpdates = canCheck;
    emit canCheckForUpdatesChanged();
}

void UpdaterManager::setUpdateAvailable(bool available)
{
    if (m_updateAvailable == available)
        return;
    m_updateAvailable = available;
    emit updateAvailableChanged();
}
