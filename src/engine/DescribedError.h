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
    // An error text longer than this is cut: a server's 10 MB error page must not become a
    // 10-million-character message that is shown, logged, reported and stored in the queue.
    static constexpr qsizetype maximumTextLength = 1000;

    ~DescribedError() override = default;

    virtual QString description() const = 0;

    // The description in UTF-8, for code that only knows std::exception.
    const char *what() const noexcept override;

    // The text the user (and the log, the crash report, the queue) gets for any failure: the
    // description of ours, what() of another exception, else "Unknown error"; cut to the limit.
    static QString describe(const std::exception_ptr &error);
    // The first maximumTextLength characters of `text`, followed by "…" when it was longer.
    static QString limited(const QString &text);

private:
    mutable std::string m_what;
};
