// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/RecorderField.h"

#include <QWidget>

class QLabel;

namespace GlobalShortcuts {

// The recorder as a view: the field alone, or a labelled row whose field lines up with the
// fields of the rows around it (ControlAlignment).
class Recorder final : public QWidget
{
    Q_OBJECT

public:
    using OnChange = RecorderField::OnChange;

    // Without a label.
    explicit Recorder(const Name &name, OnChange onChange = {}, QWidget *parent = nullptr);
    // With a text label, shown as written.
    Recorder(const QString &title, const Name &name, OnChange onChange = {},
             QWidget *parent = nullptr);
    // With a label the caller built; the recorder takes it over.
    Recorder(const Name &name, OnChange onChange, QWidget *label, QWidget *parent);

    bool hasLabel() const { return m_label != nullptr; }
    QWidget *label() const { return m_label; }
    RecorderField *field() const { return m_field; }

    void setShortcutName(const Name &name) { m_field->setShortcutName(name); }

private:
    RecorderField *m_field = nullptr;
    QWidget *m_label = nullptr;
};

} // namespace GlobalShortcuts
