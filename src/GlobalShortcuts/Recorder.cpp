// SPDX-License-Identifier: GPL-3.0-or-later
#include "Recorder.h"

#include "GlobalShortcuts/ControlAlignment.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace GlobalShortcuts {

Recorder::Recorder(const Name &name, OnChange onChange, QWidget *parent)
    : QWidget(parent), m_field(new RecorderField(name, std::move(onChange), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_field);
    setFocusProxy(m_field);
}

Recorder::Recorder(const QString &title, const Name &name, OnChange onChange, QWidget *parent)
    : Recorder(name, std::move(onChange), new QLabel(title), parent)
{}

Recorder::Recorder(const Name &name, OnChange onChange, QWidget *label, QWidget *parent)
    : QWidget(parent), m_field(new RecorderField(name, std::move(onChange), this)), m_label(label)
{
    QFormLayout *layout = ControlAlignment::createLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ControlAlignment::addLabelledRow(layout, m_label, m_field);
    setFocusProxy(m_field);
}

} // namespace GlobalShortcuts
