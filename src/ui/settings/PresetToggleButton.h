// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/kit/CardFrame.h"

#include "engine/VocabularyPreset.h"

namespace ui {

class BorderlessButton;

// One vocabulary preset in the presets grid: a switch, its name, its word count and an eye that
// shows its words.
class PresetToggleButton final : public CardFrame
{
    Q_OBJECT

public:
    explicit PresetToggleButton(const VocabularyPreset &preset, QWidget *parent = nullptr);

    QString presetId() const { return m_presetId; }
    bool isOn() const { return m_enabled; }
    bool isPreviewing() const { return m_previewing; }
    void setOn(bool enabled);
    void setPreviewing(bool previewing);
    BorderlessButton &toggleButton() const { return *m_toggle; }
    BorderlessButton &previewButton() const { return *m_preview; }

Q_SIGNALS:
    void toggleClicked();
    void previewClicked();

private:
    void refresh();

    QString m_presetId;
    bool m_enabled = false;
    bool m_previewing = false;
    BorderlessButton *m_toggle;
    BorderlessButton *m_preview;
};

} // namespace ui
