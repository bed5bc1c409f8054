// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/InputTab.h"

#include "GlobalShortcuts/Recorder.h"
#include "engine/AppState.h"
#include "engine/HotkeyManager.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace ui {

namespace {

QLabel *note(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    Theme::style(label, TextStyle::Caption, Emphasis::Secondary);
    return label;
}

int stepsFrom(double value, double low, double high, double step)
{
    const double clamped = std::clamp(value, low, high);
    return int(std::lround((clamped - low) / step));
}

} // namespace

InputTab::InputTab(AppState &appState, QWidget *parent) : QWidget(parent), m_appState(&appState)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(20);

    auto *hotkey = new QVBoxLayout;
    hotkey->setSpacing(8);
    hotkey->addWidget(new SectionHeader(tr("Hotkey"), QStringLiteral("command"), this));
    auto *explanation = new QLabel(tr("Hold to record, release to transcribe and paste."));
    Theme::style(explanation, TextStyle::Callout);
    hotkey->addWidget(explanation);
    m_picker = new ShortcutModePicker(appState, tr("Shortcut mode"), this);
    hotkey->addWidget(m_picker, 0, Qt::AlignLeft);
    m_fnHint = note(QString());
    hotkey->addWidget(m_fnHint);
    m_recorder =
        new GlobalShortcuts::Recorder(tr("Shortcut:"), HotkeyManager::shortcutName(), {}, this);
    hotkey->addWidget(m_recorder, 0, Qt::AlignLeft);
    m_recorderHint = note(tr("Must include ⌘, ⌥, ⌃, or ⇧"));
    hotkey->addWidget(m_recorderHint);
    layout->addLayout(hotkey);

    auto *recording = new QVBoxLayout;
    recording->setSpacing(8);
    recording->addWidget(new SectionHeader(tr("Recording"), QStringLiteral("timer"), this));
    m_minimumSlider = new QSlider(Qt::Horizontal);
    m_minimumSlider->setRange(0, stepsFrom(minimumDurationHigh, minimumDurationLow,
                                           minimumDurationHigh, minimumDurationStep));
    m_minimumValue = new QLabel;
    recording->addWidget(durationRow(tr("Minimum duration"), m_minimumSlider, m_minimumValue));
    recording->addWidget(
        note(tr("Recordings shorter than this are discarded to prevent accidental presses.")));
    m_maximumSlider = new QSlider(Qt::Horizontal);
    m_maximumSlider->setRange(0, stepsFrom(maximumDurationHigh, maximumDurationLow,
                                           maximumDurationHigh, maximumDurationStep));
    m_maximumValue = new QLabel;
    recording->addWidget(durationRow(tr("Maximum duration"), m_maximumSlider, m_maximumValue));
    recording->addWidget(note(tr("A warning sound plays 10 seconds before auto-stopping.")));
    layout->addLayout(recording);
    layout->addStretch(1);

    connect(m_minimumSlider, &QSlider::valueChanged, this, &InputTab::minimumMoved);
    connect(m_maximumSlider, &QSlider::valueChanged, this, &InputTab::maximumMoved);
    connect(&appState, &AppState::useFnKeyChanged, this, &InputTab::refresh);
    connect(&appState, &AppState::fnKeyAccessChanged, this, &InputTab::refresh);
    connect(&appState, &AppState::minimumRecordingDurationChanged, this, &InputTab::refresh);
    connect(&appState, &AppState::maxRecordingDurationChanged, this, &InputTab::refresh);
    refresh();
}

QWidget *InputTab::durationRow(const QString &label, QSlider *slider, QLabel *value)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *name = new QLabel(label);
    Theme::style(name, TextStyle::Callout);
    layout->addWidget(name);
    layout->addWidget(slider, 1);
    Theme::style(value, TextStyle::Callout, Emphasis::Secondary);
    value->setFont(Theme::monospacedDigitFont(TextStyle::Callout));
    value->setFixedWidth(Theme::scaled(45));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(value);
    return row;
}

void InputTab::refresh()
{
    if (!m_appState)
        return;
    const bool useFnKey = m_appState->useFnKey();
    // Only where Fn cannot work: elsewhere the hint would send the user after a fault there is
    // not.
    m_fnHint->setVisible(useFnKey && !m_appState->fnKeyAvailable());
    m_fnHint->setText(m_appState->fnKeyAccess() == platform::FnKeyAccess::notPermitted
                          ? tr("Fn isn’t seen: Parlovox may not read the keyboard device. Join the "
                               "“input” group, then log in again.")
                          : tr("No keyboard here reports an Fn key: choose Custom and record a "
                               "shortcut."));
    m_recorder->setVisible(!useFnKey);
    m_recorderHint->setVisible(!useFnKey);

    const double minimum = m_appState->minimumRecordingDuration();
    const double maximum = m_appState->maxRecordingDuration();
    {
        const QSignalBlocker blockMinimum(m_minimumSlider);
        const QSignalBlocker blockMaximum(m_maximumSlider);
        m_minimumSlider->setValue(
            stepsFrom(minimum, minimumDurationLow, minimumDurationHigh, minimumDurationStep));
        m_maximumSlider->setValue(
            stepsFrom(maximum, maximumDurationLow, maximumDurationHigh, maximumDurationStep));
    }
    m_minimumValue->setText(QString::asprintf("%.2fs", minimum));
    m_maximumValue->setText(formatMaxDuration(maximum));
}

void InputTab::minimumMoved(int position)
{
    if (!m_appState)
        return;
    const double value = minimumDurationLow + position * minimumDurationStep;
    // Rounded to the step, so 0.3 + 9 × 0.05 is stored as 0.75 and not 0.7500000000000001.
    const double rounded = std::round(value / minimumDurationStep) * minimumDurationStep;
    const double stored = std::round(rounded * 100) / 100;
    if (stored == m_appState->minimumRecordingDuration())
        return;
    m_appState->setMinimumRecordingDuration(stored);
    m_appState->saveSettings();
}

void InputTab::maximumMoved(int position)
{
    if (!m_appState)
        return;
    const double value = maximumDurationLow + position * maximumDurationStep;
    if (value == m_appState->maxRecordingDuration())
        return;
    m_appState->setMaxRecordingDuration(value);
    m_appState->saveSettings();
}

QString InputTab::formatMaxDuration(double seconds)
{
    // Values the slider never makes (an edited settings file): nothing below zero, nothing
    // beyond what a whole number of seconds can hold.
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const qint64 whole = qint64(std::min(seconds, 9.0e15));
    const qint64 minutes = whole / 60;
    const qint64 rest = whole % 60;
    if (rest != 0)
        return QString::number(minutes) + QLatin1Char(':') +
               QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
    return QString::number(minutes) + QLatin1Char('m');
}

} // namespace ui
