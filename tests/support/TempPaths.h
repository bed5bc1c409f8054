// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Paths.h"

#include <QTemporaryDir>

namespace testsupport {

// Application-support and temporary directories inside a fresh temporary directory, removed
// with the object.
class TempPaths final : public platform::Paths
{
public:
    TempPaths();

    QString applicationSupportDirectory() const override { return m_support; }
    QString temporaryDirectory() const override { return m_temp; }
    QString root() const { return m_root.path(); }

    void setApplicationSupportDirectory(const QString &path) { m_support = path; }
    void setTemporaryDirectory(const QString &path) { m_temp = path; }

private:
    QTemporaryDir m_root;
    QString m_support;
    QString m_temp;
};

} // namespace testsupport
