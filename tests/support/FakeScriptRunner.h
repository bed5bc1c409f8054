// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ScriptRunner.h"

#include <QStringList>

namespace testsupport {

// Scripted results: creation can fail, execution answers `executionError` (empty: success).
class FakeScriptRunner final : public platform::ScriptRunner
{
public:
    std::unique_ptr<platform::Script> createScript(const QString &source) override;

    bool failCreation = false;
    std::optional<QString> executionError;

    // Sources given to createScript, and how many scripts ran.
    QStringList sources;
    int executions = 0;
};

} // namespace testsupport
