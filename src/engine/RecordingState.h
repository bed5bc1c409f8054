// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>

// The value of the dictation state machine: idle, recording, processing, or an error carrying
// the message the user sees. Two errors are equal when their messages are.
class RecordingState
{
public:
    enum class Kind { idle, recording, processing, error };

    RecordingState() = default;

    static RecordingState idle() { return RecordingState(Kind::idle, {}); }
    static RecordingState recording() { return RecordingState(Kind::recording, {}); }
    static RecordingState processing() { return RecordingState(Kind::processing, {}); }
    static RecordingState error(const QString &message)
    {
        return RecordingState(Kind::error, message);
    }

    Kind kind() const { return m_kind; }
    bool isIdle() const { return m_kind == Kind::idle; }
    bool isRecording() const { return m_kind == Kind::recording; }
    bool isProcessing() const { return m_kind == Kind::processing; }
    bool isError() const { return m_kind == Kind::error; }
    // The error's message; empty for the other cases.
    QString message() const { return m_message; }

    // "idle", "recording", "processing" or "error(<message>)", for logs and test output.
    QString toString() const;

    friend bool operator==(const RecordingState &, const RecordingState &) = default;

private:
    RecordingState(Kind kind, const QString &message) : m_kind(kind), m_message(message) {}

    Kind m_kind = Kind::idle;
    QString m_message;
};

Q_DECLARE_METATYPE(RecordingState)
