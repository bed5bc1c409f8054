// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "GlobalShortcuts/Recorder.h"
#include "engine/HotkeyManager.h"
#include "platform/linux/InputDeviceSource.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "ui/RenderOutput.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconLabel.h"
#include "ui/kit/ShortcutModePicker.h"
#include "ui/menubar/MenuBarStateRow.h"
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
    monitors->setFnKeyAccess(platform::FnKeyAccess::noKeyboard);
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

// Input devices as the test lists them; only FIFOs stand for keyboards with an Fn key. Devices
// named forbidden cannot be opened, as for a user outside the "input" group; they say whether
// they have the key where `declares` has them.
class ListedDevices final : public platform::linux_impl::InputDeviceSource
{
public:
    ListedDevices(QStringList present, QStringList forbidden, QHash<QString, bool> declares)
        : m_present(std::move(present)), m_forbidden(std::move(forbidden)),
          m_declares(std::move(declares))
    {}
    bool start() override { return true; }
    QStringList devices() const override { return m_present; }
    QString error() const override { return {}; }
    int openDevice(const QString &path) const override
    {
        if (!m_forbidden.contains(path))
            return InputDeviceSource::openDevice(path);
        errno = EACCES;
        return -1;
    }
    std::optional<bool> declaresFnKey(const QString &path) const override
    {
        if (!m_declares.contains(path))
            return std::nullopt;
        return m_declares.value(path);
    }
    bool reportsFnKey(int fd) const override
    {
        struct stat info;
        return ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
    }
    void add(const QString &path) { emit deviceAdded(path); }
    void remove(const QString &path) { emit deviceRemoved(path); }

private:
    QStringList m_present;
    QStringList m_forbidden;
    QHash<QString, bool> m_declares;
};

// The Fn hints of this tab and of onboarding, and the tray window's state row, follow the
// program's real event monitors over the devices: while no device this user may read reports
// Fn they say why (no such keyboard, or one that may not be read), and none of them invites
// holding Fn; with the recorded shortcut as the trigger the Fn key does not matter.
TEST_F(InputTabTest, TheFnHintsSayWhyFnCannotWorkAndGoWhileAReadableKeyboardReportsIt)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString plainKeyboard = directory.filePath(QStringLiteral("event0"));
    QFile plain(plainKeyboard);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const QString missing = directory.filePath(QStringLiteral("event1")); // never made
    const QString fnKeyboard = directory.filePath(QStringLiteral("event2"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fnKeyboard).constData(), 0600), 0);
    const QString lidSwitch = directory.filePath(QStringLiteral("event3"));
    const QString lockedKeyboard = directory.filePath(QStringLiteral("event4"));

    QStringList present{plainKeyboard, missing, lidSwitch};
    const QStringList forbidden{lidSwitch, lockedKeyboard};
    const QHash<QString, bool> declares{{lidSwitch, false}};
    QPointer<ListedDevices> followed;
    handlers.reset();
    shortcuts.reset();
    monitors = nullptr;
    services.eventMonitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>([&] {
        auto source = std::make_unique<ListedDevices>(present, forbidden, declares);
        followed = source.get();
        return source;
    });
    shortcuts = std::make_unique<GlobalShortcuts::ModuleContext>(*services.userDefaults, nullptr,
                                                                 services.eventMonitors.get());
    handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *hotKeys);
    create();
    InputTab tab(*app);
    ui::OnboardingTryItStep tryIt(*app);
    ui::MenuBarStateRow stateRow(*app);
    const auto rowSays = [&] {
        for (auto *label : stateRow.findChildren<ui::IconLabel *>())
            if (shown(label))
                return label->textLabel()->fullText();
        return QString();
    };
    // The hint of each place, empty where none shows.
    const auto hints = [&] {
        const QString tabHint = shown(tab.fnHint()) ? tab.fnHint()->text() : QString();
        const QString tryItHint =
            shown(tryIt.fnConflictHint()) ? tryIt.fnConflictHint()->text() : QString();
        return QStringList{tabHint, tryItHint, rowSays()}.join(QStringLiteral(" | ")).toStdString();
    };
    const auto join = [](const QStringList &texts) {
        return texts.join(QStringLiteral(" | ")).toStdString();
    };
    const std::string noKeyboard = join(
        {QStringLiteral("No keyboard here reports an Fn key: choose Custom and record a shortcut."),
         QStringLiteral("No keyboard here reports an Fn key — choose Custom"),
         QStringLiteral("No keyboard here has an Fn key — set a shortcut")});
    const std::string notPermitted =
        join({QStringLiteral("Fn isn’t seen: Parlovox may not read the keyboard device. Join the "
                             "“input” group, then log in again."),
              QStringLiteral("Fn key can’t be read — join the “input” group, then log in again"),
              QStringLiteral("Fn key can’t be read — join the “input” group")});
    const std::string seen = join({QString(), QString(), QStringLiteral("Hold shortcut to talk")});
    // A device that cannot be read but says it has no Fn key is no reason to join the group.
    EXPECT_EQ(hints(), noKeyboard);

    // The Fn trigger watches the devices; a keyboard with the key connects, and goes again; one
    // that this user may not read connects.
    HotkeyManager trigger(app.get());
    trigger.configure(true);
    ASSERT_TRUE(followed);
    EXPECT_EQ(hints(), noKeyboard);
    present << fnKeyboard;
    followed->add(fnKeyboard);
    EXPECT_EQ(hints(), seen);
    present.removeLast();
    followed->remove(fnKeyboard);
    EXPECT_EQ(hints(), noKeyboard);
    followed->add(lockedKeyboard);
    EXPECT_EQ(hints(), notPermitted);
    render(tab, QStringLiteral("input-tab-fn-not-permitted"));
    followed->remove(lockedKeyboard);
    EXPECT_EQ(hints(), noKeyboard);

    // With the recorded shortcut as the trigger nothing speaks of Fn: onboarding offers the
    // recorder and its hint instead.
    app->setUseFnKey(false);
    EXPECT_EQ(hints(), seen);
    EXPECT_TRUE(shown(tryIt.recorder()));
    EXPECT_TRUE(shown(tryIt.recorderHint()));
    app->setUseFnKey(true);

    // Without watching, a look at the devices present decides.
    present << lockedKeyboard;
    trigger.configure(false);
    EXPECT_EQ(hints(), notPermitted);
}

} // namespace
