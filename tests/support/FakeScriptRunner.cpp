// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeScriptRunner.h"

namespace testsupport {

namespace {

class FakeScript final : public platform::Script
{
public:
    explicit FakeScript(FakeScriptRunner &runner) : m_runner(runner) {}
    std::optional<QString> execute() override
    {
        ++m_runner.executions;
        return m_runner.executionError;
    }

private:
    FakeScriptRunner &m_runner;
};

} // namespace

std::unique_ptr<platform::Script> FakeScriptRunner::createScript(const QString &source)
{
    sources.append(source);
    if (failCreation)
        return nullptr;
    return std::make_unique<FakeScript>(*this);
}

} // namespace testsupport
