// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "ui/RenderOutput.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/settings/InputTab.h"
#include "ui/settings/PresetToggleButton.h"
#include "ui/settings/SettingsView.h"
#include "ui/settings/VocabularySection.h"
#include "ui/settings/VocabularyTab.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QTabWidget>

namespace {

// How far a text stands out from the window behind it: the lightness of the text blended over
// the window at its opacity, against the window's own.
int contrast(const QWidget &label)
{
    const QColor text = label.palette().color(label.foregroundRole());
    const QColor window = label.window()->palette().color(QPalette::Window);
    const double alpha = text.alphaF();
    const double blended = alpha * text.lightness() + (1 - alpha) * window.lightness();
    return qRound(std::abs(blended - window.lightness()));
}

// The strongest lightness step between the top edge of `area` in `widget`'s picture and the
// middle of the area: how well a frame drawn there can be seen.
int topEdgeContrast(QWidget &widget, const QRect &area)
{
    const QImage image = widget.grab().toImage();
    const int inside = QColor(image.pixel(area.center())).lightness();
    int strongest = 0;
    for (int x = area.left() + 3; x <= area.right() - 3; ++x) {
        for (const int y : {area.top(), area.top() + 1})
            strongest =
                std::max(strongest, std::abs(QColor(image.pixel(x, y)).lightness() - inside));
    }
    return strongest;
}

} // namespace

// The desktop switching to dark while the settings window is open: every text, the section
// headings and the grey captions included, must stay readable without reopening it.
TEST_F(UiFixture, SettingsTextsFollowAPaletteSwitchWhileOpen)
{
    defaults->setString(QStringLiteral("prompt"), QStringLiteral("Parlovox, whisper.cpp"));
    create();
    ui::SettingsView view(*app, *updaterManager, services,
                          [this](QWidget *parent) { return new ui::InputTab(*app, parent); });
    view.show();
    // A preset's words open as tags.
    ui::VocabularySection &vocabulary =
        qobject_cast<ui::VocabularyTab *>(view.tabs().widget(2))->section();
    vocabulary.presetButtons().at(1)->previewButton().click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !vocabulary.isPreviewMoving(); }));
    settleLayouts();

    useDarkPalette();
    settleLayouts();

    const QList<ui::SectionHeader *> headers = view.findChildren<ui::SectionHeader *>();
    ASSERT_FALSE(headers.isEmpty());
    for (const ui::SectionHeader *header : headers) {
        for (const QLabel *label : header->findChildren<QLabel *>())
            EXPECT_GE(contrast(*label), 40) << "heading " << header->title().toStdString();
    }
    int texts = 0;
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        ++texts;
        EXPECT_GE(contrast(*label), 40) << label->text().toStdString();
    }
    EXPECT_GT(texts, 30);

    // The empty boxes and fields are not lost in the dark window.
    QWidget &general = *view.tabs().widget(0);
    QLineEdit *field = general.findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    EXPECT_GE(topEdgeContrast(*field, field->rect()), 25);
    int uncheckedBoxes = 0;
    for (QCheckBox *box : general.findChildren<QCheckBox *>()) {
        if (box->isChecked())
            continue;
        ++uncheckedBoxes;
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        EXPECT_GE(topEdgeContrast(*box, indicator), 25) << box->text().toStdString();
    }
    EXPECT_GT(uncheckedBoxes, 0);

    static const char *const names[] = {"general", "input", "vocabulary", "permissions",
                                        "whats-new"};
    for (int i = 0; i < view.tabs().count(); ++i) {
        view.tabs().setCurrentIndex(i);
        render(view, QStringLiteral("settings-switched-to-dark-") + QLatin1String(names[i]));
    }
}
