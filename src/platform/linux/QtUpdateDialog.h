// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UpdateDialog.h"

#include <QMessageBox>
#include <QPointer>

namespace platform::linux_impl {

// The check's outcome in a small window of its own that does not block the program; a newer
// check replaces an open one.
class QtUpdateDialog final : public UpdateDialog
{
public:
    ~QtUpdateDialog() override;

    void showUpdateFound(const QString &newVersion, const QString &installedVersion,
                         std::function<void()> download) override;
    void showUpToDate(const QString &installedVersion) override;
    void showFailure(const QString &error) override;

private:
    QMessageBox &replaceBox(QMessageBox::Icon icon, const QString &text,
                            const QString &informativeText);

    QPointer<QMessageBox> m_box;
};

} // namespace platform::linux_impl
