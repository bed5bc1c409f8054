// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/VocabularyTab.h"

#include "ui/kit/Theme.h"
#include "ui/settings/VocabularySection.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ui {

VocabularyTab::VocabularyTab(AppState &appState, QWidget *parent) : QWidget(parent)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(20);
    m_section = new VocabularySection(appState, this);
    stack->addWidget(m_section);
    auto *note = new QLabel(tr("Words and phrases to bias recognition toward. Presets and custom "
                               "words are combined when transcribing."),
                            this);
    note->setWordWrap(true);
    Theme::style(note, TextStyle::Caption, Emphasis::Secondary);
    stack->addWidget(note);
    stack->addStretch();
}

} // namespace ui
