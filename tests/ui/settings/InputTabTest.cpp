// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "GlobalShortcuts/Recorder.h"
#include "ui/RenderOutput.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/settings/InputTab.h"

#include <QButtonGroup>
#include <QSlider>

namespace {

using ui::InputTab;

TEST(FormatMaxDuration, WholeMinutesAndMinutesWithSeconds)
{
    EXPECT_EQ(InputTab::formatMaxDuration(60), QStringLiteral("1m"));
    EXPECT_EQ(InputTab::formatMaxDuration(90), QStringLiteral("1:30"));
    EXPECT_EQ(InputTab::formatMaxDuration(65), QStringLiteral("1:05"));
    EXPECT_EQ(InputTab::formatMaxDuration(59.9), QStringLiteral("0:59"));
    EXPECT_EQ(InputTab::formatMaxDuration(1000), QStringLiteral("16:40"));
    EXPECT_EQ(InputTab::formatMaxDuration(600), QStringLiteral("10m"));
}

class InputTabTest : public UiFixture
{
};

TEST_F(InputTabTest, TheTriggerAndBothSlidersWriteTheSettingsOnEveryChange)
{
    create();
    InputTab tab(*app);
    tab.resize(560, 470);
    EXPECT_TRUE(shown(tab.fnHint()));
    EXPECT_FALSE(shown(tab.recorder()));
    EXPECT_EQ(tab.minimumValue()->text(), QStringLiteral("0.75s"));
    EXPECT_EQ(tab.maximumValue()->text(), QStringLiteral("5m"));
    render(tab, QStringLiteral("input-tab-fn"));

    tab.picker()->segments()->button(1)->click();
    EXPECT_FALSE(app->useFnKey());
    EXPECT_EQ(defaults->boolean(QStringLiteral("useFnKey")), false);
    EXPECT_FALSE(shown(tab.fnHint()));
    EXPECT_TRUE(shown(tab.recorder()));
    EXPECT_TRUE(shown(tab.recorderHint()));
    EXPECT_EQ(static_cast<QLabel *>(tab.recorder()->label())->text(), QStringLiteral("Shortcut:"));

    // Each slider step stores a value on the slider's own grid.
    tab.minimumSlider()->setValue(0);
    EXPECT_EQ(app->minimumRecordingDuration(), 0.3);
    EXPECT_EQ(tab.minimumValue()->text(), QStringLiteral("0.30s"));
    tab.minimumSlider()->setValue(tab.minimumSlider()->maximum());
    EXPECT_EQ(app->minimumRecordingDuration(), 2.0);
    EXPECT_EQ(defaults->number(QStringLiteral("minimumRecordingDuration")), 2.0);
    tab.maximumSlider()->setValue(1);
    EXPECT_EQ(app->maxRecordingDuration(), 90.0);
    EXPECT_EQ(tab.maximumValue()->text(), QStringLiteral("1:30"));
    tab.maximumSlider()->setValue(tab.maximumSlider()->maximum());
    EXPECT_EQ(defaults->number(QStringLiteral("maxRecordingDuration")), 600.0);
    EXPECT_EQ(tab.maximumValue()->text(), QStringLiteral("10m"));
    render(tab, QStringLiteral("input-tab-custom"));

    // A value from outside the grid shows as stored; the slider only points near it.
    app->setMaxRecordingDuration(1000);
    EXPECT_EQ(tab.maximumValue()->text(), QStringLiteral("16:40"));
    EXPECT_EQ(app->maxRecordingDuration(), 1000.0);
}

} // namespace
