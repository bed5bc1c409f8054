// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace platform {

// The update framework: checks a feed for a newer version and offers it.
class Updater : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~Updater() override = default;

    virtual void start() = 0;
    // False in a build that has nowhere to look for updates: nothing here can then do anything.
    virtual bool hasUpdateFeed() const = 0;
    virtual bool canCheckForUpdates() const = 0;
    virtual void checkForUpdates() = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool enabled) = 0;
    virtual void setUpdateCheckInterval(double seconds) = 0;

signals:
    void canCheckForUpdatesChanged();
    // A newer version was found in the feed.
    void didFindValidUpdate(const QString &version, const QUrl &releaseNotes);
    void didNotFindUpdate();
};

} // namespace platform
