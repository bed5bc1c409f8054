// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "GlobalShortcuts/Recorder.h"
#include "engine/HotkeyManager.h"
#include "platform/linux/InputDeviceSource.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "ui/RenderOutput.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/onboarding/OnboardingTryItStep.h"
#include "ui/settings/InputTab.h"

#include <QButtonGroup>
#include <QSlider>
#include <QTemporaryDir>

#include <sys/stat.h>

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
    monitors->setCanSeeFnKey(false);
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

// Input devices as the test lists them; only FIFOs stand for keyboards with an Fn key.
class ListedDevices final : public platform::linux_impl::InputDeviceSource
{
public:
    explicit ListedDevices(QStringList present) : m_present(std::move(present)) {}
    bool start() override { return true; }
    QStringList devices() const override { return m_present; }
    QString error() const override { return {}; }
    bool reportsFnKey(int fd) const override
    {
        struct stat info;
        return ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
    }
    void add(const QString &path) { emit deviceAdded(path); }
    void remove(const QString &path) { emit deviceRemoved(path); }

private:
    QStringList m_present;
};

// Both Fn hints, the onboarding's and this tab's, follow the program's real event monitors over
// the devices: shown while no device this user may read reports Fn, gone while one does.
TEST_F(InputTabTest, TheFnHintsShowExactlyWhileNoReadableDeviceReportsTheFnKey)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString plainKeyboard = directory.filePath(QStringLiteral("event0"));
    QFile plain(plainKeyboard);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const QString unreadable = directory.filePath(QStringLiteral("event1")); // never made
    const QString fnKeyboard = directory.filePath(QStringLiteral("event2"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fnKeyboard).constData(), 0600), 0);

    QStringList present{plainKeyboard, unreadable};
    QPointer<ListedDevices> followed;
    handlers.reset();
    shortcuts.reset();
    monitors = nullptr;
    services.eventMonitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>([&] {
        auto source = std::make_unique<ListedDevices>(present);
        followed = source.get();
        return source;
    });
    shortcuts = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults, nullptr,
                                                                 services.eventMonitors.get());
    handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *hotKeys);
    create();
    InputTab tab(*app);
    ui::OnboardingTryItStep tryIt(*app);
    const auto hintsShown = [&] {
        EXPECT_EQ(shown(tab.fnHint()), shown(tryIt.fnConflictHint()));
        return shown(tab.fnHint());
    };
    EXPECT_TRUE(hintsShown());

    // The Fn trigger watches the devices; a keyboard with the key connects, and goes again.
    HotkeyManager trigger(app.get());
    trigger.configure(true);
    ASSERT_TRUE(followed);
    EXPECT_TRUE(hintsShown());
    present << fnKeyboard;
    followed->add(fnKeyboard);
    EXPECT_FALSE(hintsShown());
    present.removeLast();
    followed->remove(fnKeyboard);
    EXPECT_TRUE(hintsShown());

    // Without watching, a look at the devices present decides.
    present << fnKeyboard;
    trigger.configure(false);
    EXPECT_FALSE(hintsShown());
}

} // namespace
