// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace platform::linux_impl {

// What the user sees after a check they started themselves. Showing never waits for an answer.
class UpdateDialog
{
public:
    virtual ~UpdateDialog() = default;

    // A newer version; `download` opens its page.
    virtual void showUpdateFound(const QString &newVersion, const QString &installedVersion,
                                 std::function<void()> download) = 0;
    virtual void showUpToDate(const QString &installedVersion) = 0;
    virtual void showFailure(const QString &error) = 0;
};

} // namespace platform::linux_impl
