// SPDX-License-Identifier: GPL-3.0-or-later
#include "XdotoolScriptRunner.h"

#include <QProcess>
#include <QRegularExpression>

namespace platform::linux_impl {

namespace {

constexpr int startTimeoutMs = 3000;
// xdotool types a chord in a few milliseconds; a hang means the display is gone.
constexpr int finishTimeoutMs = 5000;

QString xdotoolKeyName(int virtualKey)
{
    switch (virtualKey) {
    case 9:
        return QStringLiteral("v");
    case 114: // Help, where PC keyboards have Insert
        return QStringLiteral("Insert");
    default:
        return {};
    }
}

QString xdotoolModifier(const QString &appleScriptModifier)
{
    if (appleScriptModifier == QLatin1String("command") ||
        appleScriptModifier == QLatin1String("control"))
        return QStringLiteral("ctrl");
    if (appleScriptModifier == QLatin1String("option"))
        return QStringLiteral("alt");
    if (appleScriptModifier == QLatin1String("shift"))
        return QStringLiteral("shift");
    return {};
}

class XdotoolScript final : public Script
{
public:
    explicit XdotoolScript(QStringList arguments) : m_arguments(std::move(arguments)) {}

    std::optional<QString> execute() override
    {
        QProcess process;
        process.start(QStringLiteral("xdotool"), m_arguments);
        if (!process.waitForStarted(startTimeoutMs))
            return process.errorString();
        if (!process.waitForFinished(finishTimeoutMs)) {
            process.kill();
            process.waitForFinished(startTimeoutMs);
            return QStringLiteral("xdotool did not finish within %1 ms").arg(finishTimeoutMs);
        }
        const QString stderrText = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (process.exitStatus() != QProcess::NormalExit)
            return stderrText.isEmpty() ? process.errorString() : stderrText;
        if (process.exitCode() != 0)
            return stderrText.isEmpty()
                       ? QStringLiteral("xdotool exited with status %1").arg(process.exitCode())
                       : stderrText;
        return std::nullopt;
    }

private:
    QStringList m_arguments;
};

} // namespace

QStringList XdotoolScriptRunner::translate(const QString &source)
{
    const QStringList lines = source.split(QLatin1Char('\n'));
    if (lines.size() != 3 ||
        lines[0].trimmed() != QLatin1String("tell application \"System Events\"") ||
        lines[2].trimmed() != QLatin1String("end tell"))
        return {};
    static const QRegularExpression keyLine(
        QStringLiteral("^key code (\\d+)(?: using \\{?(.*?)\\}?)?$"));
    const QRegularExpressionMatch match = keyLine.match(lines[1].trimmed());
    if (!match.hasMatch())
        return {};
    QStringList chord;
    const QString modifiers = match.captured(2);
    if (!modifiers.isEmpty()) {
        for (const QString &part : modifiers.split(QLatin1Char(','))) {
            const QString word = part.trimmed();
            if (!word.endsWith(QLatin1String(" down")))
                return {};
            const QString modifier = xdotoolModifier(word.chopped(5).trimmed());
            if (modifier.isEmpty())
                return {};
            if (!chord.contains(modifier))
                chord.append(modifier);
        }
    }
    const QString key = xdotoolKeyName(match.captured(1).toInt());
    if (key.isEmpty())
        return {};
    chord.append(key);
    return {QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
            chord.join(QLatin1Char('+'))};
}

std::unique_ptr<Script> XdotoolScriptRunner::createScript(const QString &source)
{
    QStringList arguments = translate(source);
    if (arguments.isEmpty())
        return nullptr;
    return std::make_unique<XdotoolScript>(std::move(arguments));
}

} // namespace platform::linux_impl
