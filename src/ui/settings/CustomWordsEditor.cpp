// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settings/CustomWordsEditor.h"

#include "engine/Blanks.h"
#include "ui/kit/BorderlessButton.h"
#include "ui/kit/FadeAnimation.h"
#include "ui/kit/FlowLayout.h"
#include "ui/kit/FlowScrollArea.h"
#include "ui/kit/Theme.h"
#include "ui/settings/ChipView.h"

#include "engine/AppState.h"
#include "platform/Scheduler.h"
#include "platform/Services.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>

namespace ui {

namespace {

constexpr int kChipAreaMaxHeight = 150;
const QString kSeparator = QStringLiteral(", ");

} // namespace

CustomWordsEditor::CustomWordsEditor(AppState &appState, QWidget *parent)
    : QWidget(parent), m_appState(appState)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    // The gap between the words and the field belongs to the chip area, so that it comes and
    // goes with the area rather than at once when the area hides.
    stack->setSpacing(0);
    m_chipArea = new FlowScrollArea(6, kChipAreaMaxHeight, this);
    m_chipArea->setSpaceBelow(6);
    stack->addWidget(m_chipArea);

    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    m_field = new QLineEdit(this);
    m_field->setPlaceholderText(tr("Add custom term..."));
    // A long pasted list must arrive whole.
    m_field->setMaxLength(std::numeric_limits<int>::max());
    connect(m_field, &QLineEdit::returnPressed, this, &CustomWordsEditor::add);
    row->addWidget(m_field, 1);
    m_add = BorderlessButton::symbolOnly(QStringLiteral("plus.circle.fill"), Theme::scaled(16),
                                         Emphasis::Secondary, this);
    m_add->setToolTip(tr("Add"));
    m_add->setEnabled(false);
    connect(m_add, &BorderlessButton::clicked, this, &CustomWordsEditor::add);
    connect(m_field, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(!trimBlanks(text).isEmpty()); });
    row->addWidget(m_add);
    stack->addLayout(row);
    // Room to spare stays below the field instead of stretching the chips apart; the page, not
    // the editor, takes the room below the words.
    stack->addStretch();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    connect(&appState, &AppState::promptChanged, this, &CustomWordsEditor::showWords);
    showWords();
}

QStringList CustomWordsEditor::words() const
{
    return splitWordList(m_appState.prompt());
}

void CustomWordsEditor::add()
{
    // Qt's one-line field keeps the line breaks of pasted text: a pasted list of one word per
    // line is as many words, not one word spanning lines.
    QString input = m_field->text();
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]"));
    input.replace(lineBreaks, QStringLiteral(","));
    const QStringList candidates = splitWordList(input);
    if (candidates.isEmpty())
        return;
    QStringList list = words();
    QSet<QString> present(list.cbegin(), list.cend());
    const qsizetype before = list.size();
    for (const QString &candidate : candidates) {
        if (present.contains(candidate))
            continue;
        present.insert(candidate);
        list.append(candidate);
    }
    if (list.size() > before)
        storeWords(list);
    else
        setDuplicateNotice(true);
    m_field->clear();
    m_field->setFocus();
}

void CustomWordsEditor::remove(const QString &word)
{
    QStringList list = words();
    list.removeAll(word);
    storeWords(list);
}

void CustomWordsEditor::storeWords(const QStringList &words)
{
    m_appState.setPrompt(words.join(kSeparator));
    m_appState.saveSettings();
}

void CustomWordsEditor::showWords()
{
    const QStringList list = words();
    // Chips already shown are kept, so a long list does not rebuild itself at every edit.
    QHash<QString, QList<ChipView *>> spare;
    for (ChipView *chip : std::as_const(m_chips))
        spare[chip->label()].append(chip);
    FlowLayout &flow = m_chipArea->flow();
    // The window's first showing is no change to animate.
    const bool animated = isVisible();
    if (animated)
        flow.animateNextArrangement(changeSeconds, FadeAnimation::easeOut());
    while (QLayoutItem *item = flow.takeAt(0))
        delete item;

    QList<ChipView *> chips;
    chips.reserve(list.size());
    for (const QString &word : list) {
        QList<ChipView *> &reusable = spare[word];
        ChipView *chip = reusable.isEmpty() ? nullptr : reusable.takeFirst();
        if (!chip) {
            chip = new ChipView(word, m_chipArea->content());
            connect(chip, &ChipView::removeClicked, this, [this, word] { remove(word); });
            if (animated)
                FadeAnimation::fadeIn(chip, changeSeconds, FadeAnimation::Motion::FadeAndScale);
        }
        flow.addWidget(chip);
        chip->show();
        chips.append(chip);
    }
    // A chip that goes shrinks away where it stood, out of the layout; one still on its way in
    // may never have had a place, so it just goes. The chip whose button asked for the removal is
    // still inside its click handler, so it is deleted later.
    for (const QList<ChipView *> &unused : std::as_const(spare)) {
        for (ChipView *chip : unused) {
            if (animated && !FadeAnimation::isRunning(chip)) {
                FadeAnimation::fadeOutAndDelete(chip, changeSeconds,
                                                FadeAnimation::Motion::FadeAndScale);
            } else {
                chip->hide();
                chip->deleteLater();
            }
        }
    }
    m_chips = chips;
    if (animated) {
        m_chipArea->animateToContent(changeSeconds, FadeAnimation::easeOut());
    } else {
        m_chipArea->setVisible(!chips.isEmpty());
        m_chipArea->fitToContent();
    }
}

void CustomWordsEditor::setDuplicateNotice(bool shown)
{
    m_duplicateNotice = shown;
    m_field->setPlaceholderText(shown ? tr("Already added") : tr("Add custom term..."));
    // Only the roles set here are the field's own; the rest follow the desktop's palette.
    QPalette palette;
    if (shown) {
        const QColor red = Theme::color(NamedColor::Red);
        palette.setColor(QPalette::Text, red);
        palette.setColor(QPalette::PlaceholderText, red);
    }
    m_field->setPalette(palette);
    if (!shown)
        return;
    // Every rejection starts its own wait; the first to end clears the notice.
    QPointer<CustomWordsEditor> self(this);
    m_appState.services().scheduler->after(duplicateNoticeSeconds, [self] {
        if (self)
            self->setDuplicateNotice(false);
    });
}

} // namespace ui
