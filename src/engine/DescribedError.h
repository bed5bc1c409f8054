// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <string>

// Base of every error the engine's services throw: callers show or log `description()`, the
// user-facing text, and tell the kinds apart by type.
class DescribedError : public std::exception
{
public:
    ~DescribedError() override = default;

    virtual QString description() const = 0;

    // The description in UTF-8, for code that only knows std::exception.
    const char *what() const noexcept override;

private:
    mutable std::string m_what;
};
