// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/VocabularySection.h"

#include "ui/kit/FadeAnimation.h"
#include "ui/kit/FlowLayout.h"
#include "ui/kit/FlowScrollArea.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransitionEffect.h"
#include "ui/settings/CustomWordsEditor.h"
#include "ui/settings/PresetToggleButton.h"

#include "engine/AppState.h"
#include "engine/VocabularyPreset.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr int kPreviewMaxHeight = 80;
constexpr int kPreviewTransitionMs = 150;

QLabel *heading(const QString &title, QWidget *parent)
{
    auto *label = new QLabel(title.toUpper(), parent);
    Theme::style(label, TextStyle::Caption, Emphasis::Tertiary);
    return label;
}

// A preset word as a small tinted tag.
QLabel *wordTag(const QString &word, QWidget *parent)
{
    auto *tag = new QLabel(parent);
    tag->setTextFormat(Qt::PlainText);
    tag->setText(word);
    tag->setFont(Theme::font(TextStyle::Caption2));
    Theme::follow(tag, QStringLiteral("ui.VocabularySection.tag"), [tag, parent] {
        const QColor secondary = Theme::foreground(parent->palette(), Emphasis::Secondary);
        QColor fill = Theme::accent(parent->palette());
        fill.setAlphaF(0.1f);
        const QString sheet =
            QStringLiteral("QLabel { color: %1; background: %2; border-radius: 4px; "
                           "padding: 3px 6px; }")
                .arg(secondary.name(QColor::HexArgb), fill.name(QColor::HexArgb));
        // A style sheet set again polishes the label again, which changes its palette.
        if (tag->styleSheet() != sheet)
            tag->setStyleSheet(sheet);
    });
    return tag;
}

const VocabularyPreset *findPreset(const QString &id)
{
    for (const VocabularyPreset &preset : VocabularyPreset::all()) {
        if (preset.id == id)
            return &preset;
    }
    return nullptr;
}

} // namespace

VocabularySection::VocabularySection(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    stack->addWidget(heading(tr("Presets"), this));

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    int index = 0;
    for (const VocabularyPreset &preset : VocabularyPreset::all()) {
        auto *button = new PresetToggleButton(preset, this);
        const QString id = preset.id;
        connect(button, &PresetToggleButton::toggleClicked, this, [this, id] { toggle(id); });
        connect(button, &PresetToggleButton::previewClicked, this, [this, id] { preview(id); });
        grid->addWidget(button, index / 2, index % 2);
        m_presetButtons.append(button);
        ++index;
    }
    stack->addLayout(grid);

    m_preview = new FlowScrollArea(4, kPreviewMaxHeight, this);
    m_preview->hide();
    stack->addWidget(m_preview);
    m_previewTransition.setDuration(kPreviewTransitionMs);
    m_previewTransition.setEasingCurve(FadeAnimation::easeOut());
    connect(&m_previewTransition, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { stepPreviewTransition(value.toDouble()); });
    connect(&m_previewTransition, &QVariantAnimation::finished, this,
            &VocabularySection::endPreviewTransition);

    auto *customHeading = heading(tr("Custom Words"), this);
    customHeading->setContentsMargins(0, 2, 0, 0);
    stack->addWidget(customHeading);
    m_customWords = new CustomWordsEditor(appState, this);
    stack->addWidget(m_customWords);

    connect(&appState, &AppState::enabledPresetsChanged, this, &VocabularySection::showPresets);
    showPresets();
}

QStringList VocabularySection::previewWords() const
{
    QStringList words;
    const FlowLayout &flow = m_preview->flow();
    for (int i = 0; i < flow.count(); ++i) {
        if (auto *tag = qobject_cast<QLabel *>(flow.itemAt(i)->widget()))
            words.append(tag->text());
    }
    return words;
}

bool VocabularySection::isPreviewShown() const
{
    return !m_preview->isHidden();
}

bool VocabularySection::isPreviewMoving() const
{
    return m_previewTransition.state() == QAbstractAnimation::Running;
}

void VocabularySection::toggle(const QString &id)
{
    QSet<QString> presets = m_appState.enabledPresets();
    if (presets.contains(id))
        presets.remove(id);
    else
        presets.insert(id);
    m_appState.setEnabledPresets(presets);
    m_appState.saveSettings();
}

void VocabularySection::preview(const QString &id)
{
    m_previewingPreset = m_previewingPreset == id ? QString() : id;
    showPresets();
    showPreview();
}

void VocabularySection::showPresets()
{
    const QSet<QString> enabled = m_appState.enabledPresets();
    for (PresetToggleButton *button : std::as_const(m_presetButtons)) {
        button->setOn(enabled.contains(button->presetId()));
        button->setPreviewing(!m_previewingPreset.isEmpty() &&
                              button->presetId() == m_previewingPreset);
    }
}

void VocabularySection::clearPreview()
{
    FlowLayout &flow = m_preview->flow();
    while (QLayoutItem *item = flow.takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void VocabularySection::showPreview()
{
    const VocabularyPreset *preset = findPreset(m_previewingPreset);
    if (!preset) {
        // The words stay while they fade out.
        transitionPreview(false);
        return;
    }
    clearPreview();
    for (const QString &word : preset->words)
        m_preview->flow().addWidget(wordTag(word, m_preview->content()));
    m_preview->fitToContent();
    transitionPreview(true);
}

void VocabularySection::transitionPreview(bool in)
{
    const bool running = m_previewTransition.state() == QAbstractAnimation::Running;
    if (!running && m_preview->isHidden() != in)
        return;
    if (running && m_previewTransition.endValue().toDouble() == (in ? 1.0 : 0.0))
        return;
    // A reversal starts from where the running transition stands.
    const double from = running ? m_previewTransition.currentValue().toDouble() : (in ? 0.0 : 1.0);
    m_previewTransition.stop();
    if (!m_preview->graphicsEffect())
        m_preview->setGraphicsEffect(
            new TransitionEffect(TransitionEffect::Kind::FadeAndMoveFromTop));
    m_previewTransition.setStartValue(from);
    m_previewTransition.setEndValue(in ? 1.0 : 0.0);
    m_preview->show();
    m_previewTransition.start();
}

void VocabularySection::stepPreviewTransition(double progress)
{
    if (auto *effect = qobject_cast<TransitionEffect *>(m_preview->graphicsEffect()))
        effect->setProgress(progress);
    // The room it takes opens as its words slide down out from under the presets.
    m_preview->setMaximumHeight(qRound(progress * m_preview->heightForWidth(m_preview->width())));
}

void VocabularySection::endPreviewTransition()
{
    m_preview->setGraphicsEffect(nullptr);
    m_preview->setMaximumHeight(kPreviewMaxHeight);
    if (m_previewTransition.endValue().toDouble() == 0.0) {
        m_preview->hide();
        clearPreview();
    }
}

} // namespace ui
