// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class AppState;

namespace ui {

class VocabularySection;

// The vocabulary page: the presets, the custom words and what both are for.
class VocabularyTab final : public QWidget
{
    Q_OBJECT

public:
    explicit VocabularyTab(AppState &appState, QWidget *parent = nullptr);

    VocabularySection &section() const { return *m_section; }

private:
    VocabularySection *m_section;
};

} // namespace ui
