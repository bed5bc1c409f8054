// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/DescribedError.h"

// A file the engine needed could not be read.
class FileReadError final : public DescribedError
{
public:
    FileReadError(const QString &path, const QString &reason) : m_path(path), m_reason(reason) {}

    QString path() const { return m_path; }
    QString reason() const { return m_reason; }
    // "Could not read <path>: <reason>".
    QString description() const override;

private:
    QString m_path;
    QString m_reason;
};
