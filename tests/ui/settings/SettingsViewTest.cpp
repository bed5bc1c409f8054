// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "ui/LayoutChecks.h"
#include "ui/RenderOutput.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/FlowScrollArea.h"
#include "ui/settings/ChipView.h"
#include "ui/settings/CustomWordsEditor.h"
#include "ui/settings/InputTab.h"
#include "ui/settings/PermissionCard.h"
#include "ui/settings/PermissionsTab.h"
#include "ui/settings/PresetToggleButton.h"
#include "ui/settings/SettingsView.h"
#include "ui/settings/VocabularySection.h"
#include "ui/settings/VocabularyTab.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

using ui::SettingsView;

class Settings : public UiFixture
{
protected:
    SettingsView &open()
    {
        view = std::make_unique<SettingsView>(
            *app, *updaterManager, services,
            [this](QWidget *parent) { return new ui::InputTab(*app, parent); });
        view->show();
        return *view;
    }
    template <typename T> T &tab(int index) const
    {
        return *qobject_cast<T *>(view->tabs().widget(index));
    }
    // Every tab as a picture, under `prefix`.
    void renderTabs(const QString &prefix)
    {
        static const char *const names[] = {"general", "input", "vocabulary", "permissions",
                                            "whats-new"};
        for (int i = 0; i < view->tabs().count(); ++i) {
            view->tabs().setCurrentIndex(i);
            // As the window looks once the event loop has laid it out.
            QCoreApplication::processEvents();
            testsupport::saveRender(*view, prefix + QLatin1String(names[i]));
        }
        view->tabs().setCurrentIndex(0);
    }

    std::unique_ptr<SettingsView> view;
};

TEST_F(Settings, FiveTabsInOrderRenderedInALightAndADarkPalette)
{
    defaults->setString(QStringLiteral("prompt"), QStringLiteral("Parlovox, whisper.cpp, Qt"));
    defaults->setStringList(QStringLiteral("enabledPresets"), {QStringLiteral("web-dev")});
    permissions->trusted = false;
    create();
    open();
    EXPECT_EQ(view->size(), QSize(560, 520));
    QStringList titles;
    for (int i = 0; i < view->tabs().count(); ++i)
        titles.append(view->tabs().tabText(i));
    EXPECT_EQ(titles, (QStringList{"General", "Input", "Vocabulary", "Permissions", "What's New"}));
    EXPECT_EQ(view->tabs().currentIndex(), 0);
    EXPECT_NE(qobject_cast<ui::InputTab *>(view->tabs().widget(1)), nullptr);
    // The real changelog fills the last tab.
    EXPECT_FALSE(view->tabs().widget(4)->findChildren<QLabel *>().isEmpty());

    auto &vocabulary = tab<ui::VocabularyTab>(2).section();
    vocabulary.presetButtons().at(1)->previewButton().click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !vocabulary.isPreviewMoving(); }));
    renderTabs(QStringLiteral("settings-light-"));
    view.reset();
    useDarkPalette();
    open();
    auto &darkVocabulary = tab<ui::VocabularyTab>(2).section();
    darkVocabulary.presetButtons().at(1)->previewButton().click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !darkVocabulary.isPreviewMoving(); }));
    renderTabs(QStringLiteral("settings-dark-"));
}

// GNOME's 11 pt desktop font and a 12 pt one: the window's texts grow with it, and the window
// grows to fit its tab titles and every tab's content, still within a 1366 × 768 screen under a
// title bar and a panel.
TEST_F(Settings, AtLargerDesktopFontsEveryTitleIsWholeAndNothingIsCut)
{
    defaults->setString(QStringLiteral("prompt"), QStringLiteral("Parlovox, whisper.cpp, Qt"));
    permissions->trusted = false;
    create();
    for (const int points : {11, 12}) {
        SCOPED_TRACE(points);
        const testsupport::DesktopFont desktopFont(points);
        open();
        const QString prefix = QStringLiteral("settings-%1pt-").arg(points);
        renderTabs(prefix);
        EXPECT_LE(view->width(), 1366);
        EXPECT_LE(view->height(), 700);
        // The window's own texts grow with the desktop's font as its controls do: body text is
        // as large as a check box's.
        const auto labels = view->findChildren<QLabel *>();
        const auto title = std::find_if(labels.begin(), labels.end(), [](const QLabel *label) {
            return label->text() == QStringLiteral("Server Offline");
        });
        ASSERT_NE(title, labels.end());
        EXPECT_EQ(QFontInfo((*title)->font()).pixelSize(),
                  QFontInfo(view->findChild<QCheckBox *>()->font()).pixelSize());
        const QTabBar &bar = *view->tabs().tabBar();
        // Room for every tab at the width its title and symbol ask for, none behind arrows.
        EXPECT_GE(bar.width(), bar.sizeHint().width());
        for (int i = 0; i < bar.count(); ++i)
            EXPECT_TRUE(bar.rect().contains(bar.tabRect(i))) << bar.tabText(i).toStdString();
        for (int i = 0; i < view->tabs().count(); ++i) {
            view->tabs().setCurrentIndex(i);
            settleLayouts();
            EXPECT_EQ(testsupport::cutWidgets(*view).join(u'\n').toStdString(), "")
                << bar.tabText(i).toStdString();
        }
        view.reset();
    }
}

TEST_F(Settings, PresetsToggleAndPreviewOneAtATime)
{
    create();
    open();
    ui::VocabularySection &section = tab<ui::VocabularyTab>(2).section();
    const QList<ui::PresetToggleButton *> buttons = section.presetButtons();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_FALSE(section.isPreviewShown());

    buttons.at(0)->toggleButton().click();
    EXPECT_EQ(app->enabledPresets(), QSet<QString>{QStringLiteral("software-dev")});
    EXPECT_EQ(defaults->stringList(QStringLiteral("enabledPresets")),
              QStringList{QStringLiteral("software-dev")});
    EXPECT_EQ(buttons.at(0)->toggleButton().symbol(), QStringLiteral("checkmark.circle.fill"));
    buttons.at(0)->toggleButton().click();
    EXPECT_TRUE(app->enabledPresets().isEmpty());
    EXPECT_EQ(defaults->stringList(QStringLiteral("enabledPresets")), QStringList());
    EXPECT_EQ(buttons.at(0)->toggleButton().symbol(), QStringLiteral("circle"));

    buttons.at(0)->previewButton().click();
    EXPECT_EQ(section.previewWords(), VocabularyPreset::all().at(0).words);
    buttons.at(2)->previewButton().click();
    EXPECT_EQ(section.previewWords(), VocabularyPreset::all().at(2).words);
    EXPECT_EQ(buttons.at(0)->previewButton().symbol(), QStringLiteral("eye"));
    EXPECT_EQ(buttons.at(2)->previewButton().symbol(), QStringLiteral("eye.fill"));
    buttons.at(2)->previewButton().click();
    EXPECT_TRUE(section.previewingPreset().isEmpty());
    EXPECT_EQ(buttons.at(2)->previewButton().symbol(), QStringLiteral("eye"));
    // An eye pressed while the words fade out brings them back; pressed again, they go.
    buttons.at(1)->previewButton().click();
    EXPECT_EQ(section.previewWords(), VocabularyPreset::all().at(1).words);
    buttons.at(1)->previewButton().click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !section.isPreviewMoving(); }));
    EXPECT_FALSE(section.isPreviewShown());
    EXPECT_TRUE(section.previewWords().isEmpty());
}

TEST_F(Settings, PermissionCardsRequestAndOpenTheDesktopSettings)
{
    permissions->microphone = false;
    permissions->trusted = false;
    permissions->postEvents = false;
    create();
    open();
    auto &permissionsTab = tab<ui::PermissionsTab>(3);
    ui::PermissionCard &microphone = permissionsTab.microphoneCard();
    ui::PermissionCard &accessibility = permissionsTab.accessibilityCard();
    EXPECT_FALSE(microphone.granted());
    EXPECT_FALSE(accessibility.granted());

    const auto button = [](ui::PermissionCard &card, const QString &text) {
        for (QPushButton *candidate : card.findChildren<QPushButton *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return static_cast<QPushButton *>(nullptr);
    };
    button(microphone, QStringLiteral("Open Settings"))->click();
    button(accessibility, QStringLiteral("Open Settings"))->click();
    EXPECT_EQ(workspace->requests, (QStringList{QStringLiteral("privacy Microphone"),
                                                QStringLiteral("privacy Accessibility")}));

    button(microphone, QStringLiteral("Request"))->click();
    permissions->answerMicrophoneRequests(false);
    EXPECT_FALSE(microphone.granted());
    button(microphone, QStringLiteral("Request"))->click();
    permissions->answerMicrophoneRequests(true);
    EXPECT_TRUE(microphone.granted());

    button(accessibility, QStringLiteral("Request"))->click();
    EXPECT_EQ(permissions->postEventRequests, 1);
    permissions->postEvents = true;
    permissions->trusted = true;
    button(accessibility, QStringLiteral("Request"))->click();
    EXPECT_EQ(permissions->postEventRequests, 1);
    EXPECT_TRUE(accessibility.granted());

    // An answer arriving after the window closed goes nowhere.
    view.reset();
    permissions->microphone = false;
    open();
    button(tab<ui::PermissionsTab>(3).microphoneCard(), QStringLiteral("Request"))->click();
    view.reset();
    permissions->answerMicrophoneRequests(true);
}

TEST_F(Settings, ReopenedItStartsOnTheFirstTabWithThePreviewClosedAndTheChangelogReadAfresh)
{
    create();
    open();
    view->tabs().setCurrentIndex(2);
    ui::VocabularySection &before = tab<ui::VocabularyTab>(2).section();
    before.presetButtons().at(0)->previewButton().click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !before.isPreviewMoving(); }));
    ASSERT_TRUE(before.isPreviewShown());

    // A release published while the window was closed.
    const QString changelog = paths->root() + QStringLiteral("/CHANGELOG.md");
    writeFile(changelog, "# Changelog\n\n## [9.9.9] - 2031-01-01\n- Fresh\n");
    bundle->setResource(QStringLiteral("CHANGELOG.md"), changelog);
    view->close();
    view->show();

    EXPECT_EQ(view->tabs().currentIndex(), 0);
    ui::VocabularySection &after = tab<ui::VocabularyTab>(2).section();
    EXPECT_TRUE(after.previewingPreset().isEmpty());
    EXPECT_FALSE(after.isPreviewShown());
    EXPECT_EQ(after.presetButtons().at(0)->previewButton().symbol(), QStringLiteral("eye"));
    view->tabs().setCurrentIndex(4);
    settleLayouts();
    QStringList whatsNew;
    for (const QLabel *label : view->tabs().widget(4)->findChildren<QLabel *>())
        whatsNew.append(label->text());
    EXPECT_TRUE(whatsNew.contains(QStringLiteral("v9.9.9"))) << qPrintable(whatsNew.join('|'));
    EXPECT_TRUE(whatsNew.contains(QStringLiteral("Fresh")));
}

TEST_F(Settings, AwkwardWordsAndVersionsStayInsideThePage)
{
    const QString wide = QStringLiteral("pneumonoultramicroscopicsilicovolcanoconiosis-") +
                         QString(60, QLatin1Char('x'));
    defaults->setString(QStringLiteral("prompt"),
                        QStringLiteral("alpha, ") + wide + QStringLiteral(", two\nlines"));
    const QString changelog = paths->root() + QStringLiteral("/CHANGELOG.md");
    writeFile(changelog, "## [2.0.0-beta.1+build.20310101.abcdef0123456789abcdef0123456789abcdef] "
                         "- 2031-01-01\n- Long version\n## [1.0.0] - 2030-12-01\n- Short\n");
    bundle->setResource(QStringLiteral("CHANGELOG.md"), changelog);
    create();
    open();

    // Every chip is one line with its remove button inside the area, the wide word cut short.
    view->tabs().setCurrentIndex(2);
    settleLayouts();
    ui::CustomWordsEditor &editor = tab<ui::VocabularyTab>(2).section().customWords();
    const QList<ui::ChipView *> chips = editor.chips();
    ASSERT_EQ(chips.size(), 3);
    const QWidget &viewport = *editor.chipArea().viewport();
    for (const ui::ChipView *chip : chips) {
        const auto *remove = chip->findChild<ui::BorderlessButton *>();
        EXPECT_TRUE(
            viewport.rect().contains(QRect(remove->mapTo(&viewport, QPoint(0, 0)), remove->size())))
            << qPrintable(chip->label());
        EXPECT_EQ(chip->height(), chips.at(0)->height()) << qPrintable(chip->label());
    }
    EXPECT_TRUE(chips.at(1)->findChild<ui::ElidedLabel *>()->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(chips.at(2)->findChild<ui::ElidedLabel *>()->text(), QStringLiteral("two lines"));
    testsupport::saveRender(*view, QStringLiteral("settings-vocabulary-awkward-words"));
    chips.at(1)->findChild<ui::BorderlessButton *>()->click();
    EXPECT_EQ(app->prompt(), QStringLiteral("alpha, two\nlines"));

    // Without words the note follows the input row at the section's spacing, once the chips
    // and their area have gone.
    app->setPrompt(QString());
    ASSERT_TRUE(testsupport::waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return editor.chipArea().isHidden() && editor.findChildren<ui::ChipView *>().isEmpty();
    }));
    settleLayouts();
    EXPECT_TRUE(editor.chips().isEmpty());
    const QLabel *note = nullptr;
    for (const QLabel *label : view->tabs().widget(2)->findChildren<QLabel *>()) {
        if (label->text().startsWith(QStringLiteral("Words and phrases")))
            note = label;
    }
    ASSERT_NE(note, nullptr);
    const QWidget &field = editor.field();
    const int gap = note->mapTo(view.get(), QPoint(0, 0)).y() -
                    field.mapTo(view.get(), QPoint(0, field.height())).y();
    EXPECT_GE(gap, 16);
    EXPECT_LE(gap, 26);
    testsupport::saveRender(*view, QStringLiteral("settings-vocabulary-no-words"));

    // The long version gives way: the card keeps to the page and its date stays whole.
    view->tabs().setCurrentIndex(4);
    settleLayouts();
    QWidget &page = *view->tabs().widget(4);
    const QLabel *date = nullptr;
    for (const QLabel *label : page.findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("2031-01-01"))
            date = label;
    }
    ASSERT_NE(date, nullptr);
    const QRect dateInPage(date->mapTo(&page, QPoint(0, 0)), date->size());
    EXPECT_LE(dateInPage.right(), page.width() - 20);
    EXPECT_GE(date->width(), date->sizeHint().width());
    testsupport::saveRender(*view, QStringLiteral("settings-whats-new-long-version"));
}

namespace {

QLabel *labelWithText(const QWidget &parent, const QString &text)
{
    for (QLabel *label : parent.findChildren<QLabel *>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

} // namespace

TEST_F(Settings, APermissionCardShowsEitherGrantedOrItsButtons)
{
    permissions->microphone = true;
    permissions->trusted = false;
    create();
    open();
    auto &permissionsTab = tab<ui::PermissionsTab>(3);
    view->tabs().setCurrentIndex(3);
    for (ui::PermissionCard *card :
         {&permissionsTab.microphoneCard(), &permissionsTab.accessibilityCard()}) {
        const bool granted = card == &permissionsTab.microphoneCard();
        EXPECT_EQ(card->granted(), granted);
        EXPECT_EQ(shown(labelWithText(*card, QStringLiteral("Granted"))), granted);
        int buttonsShown = 0;
        for (const QPushButton *button : card->findChildren<QPushButton *>())
            buttonsShown += shown(button) ? 1 : 0;
        EXPECT_EQ(buttonsShown, granted ? 0 : 2);
    }
}

TEST_F(Settings, OpenSettingsThatFindsNothingToOpenSaysSoBesideTheButton)
{
    permissions->microphone = false;
    workspace->answer = false;
    create();
    open();
    view->tabs().setCurrentIndex(3);
    ui::PermissionCard &microphone = tab<ui::PermissionsTab>(3).microphoneCard();
    EXPECT_TRUE(microphone.openSettingsFailure().isEmpty());
    for (QPushButton *button : microphone.findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("Open Settings"))
            button->click();
    }
    EXPECT_EQ(workspace->requests, QStringList{QStringLiteral("privacy Microphone")});
    EXPECT_EQ(microphone.openSettingsFailure(),
              QStringLiteral("No sound settings program is installed"));
    EXPECT_TRUE(shown(labelWithText(microphone, microphone.openSettingsFailure())));
    render(*view, QStringLiteral("settings-permissions-nothing-to-open"));
}
