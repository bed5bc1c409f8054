// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QVariantAnimation>
#include <QWidget>

class AppState;

namespace ui {

class CustomWordsEditor;
class FlowScrollArea;
class PresetToggleButton;

// The presets grid with the words of the previewed preset, then the custom-words editor.
class VocabularySection final : public QWidget
{
    Q_OBJECT

public:
    explicit VocabularySection(AppState &appState, QWidget *parent = nullptr);

    // The preset whose words are shown; empty when none.
    QString previewingPreset() const { return m_previewingPreset; }
    QList<PresetToggleButton *> presetButtons() const { return m_presetButtons; }
    // The preview's words, in order.
    QStringList previewWords() const;
    // Still true while the words fade out.
    bool isPreviewShown() const;
    // Whether the preview is fading in or out.
    bool isPreviewMoving() const;
    CustomWordsEditor &customWords() const { return *m_customWords; }

private:
    void toggle(const QString &id);
    void preview(const QString &id);
    void showPresets();
    void showPreview();
    void clearPreview();
    void transitionPreview(bool in);
    void stepPreviewTransition(double progress);
    void endPreviewTransition();

    AppState &m_appState;
    QString m_previewingPreset;
    QList<PresetToggleButton *> m_presetButtons;
    FlowScrollArea *m_preview;
    QVariantAnimation m_previewTransition;
    CustomWordsEditor *m_customWords;
};

} // namespace ui
