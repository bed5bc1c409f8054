// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut recorder of the Input tab with the program's real alert dialog, under a window
// manager: the dialog takes the window's activation and the window manager hands it back only
// after the dialog has gone. Another X client holds Control+Option+J.
#include "ui/UiFixture.h"

#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/Recorder.h"
#include "GlobalShortcuts/Storage.h"
#include "XTestClient.h"
#include "engine/HotkeyManager.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "platform/linux/X11HotKeyService.h"
#include "platform/linux/X11Keyboard.h"
#include "support/LogCapture.h"
#include "ui/kit/DialogPresenter.h"
#include "ui/menubar/MenuBarStateRow.h"
#include "ui/settings/InputTab.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using GlobalShortcuts::localized;
using GlobalShortcuts::Shortcut;

// Key codes of the Xvfb keymap (evdev positions + 8).
constexpr std::uint8_t xJ = 44, xM = 58, xReturn = 36;
constexpr std::uint16_t xControlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr qint64 controlOption = 0x1000 | 0x800;

class RecorderAlertX11 : public UiFixture
{
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X11 display";
        ASSERT_TRUE(m_typist.isConnected() && m_owner.isConnected());
        // The shortcut module on the desktop's own hot keys, keyboard and event monitors.
        handlers.reset();
        shortcuts.reset();
        hotKeys = nullptr;
        monitors = nullptr;
        services.keyboard = std::make_unique<platform::linux_impl::X11Keyboard>();
        services.eventMonitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
        services.hotKeys = std::make_unique<platform::linux_impl::X11HotKeyService>();
        shortcuts = std::make_unique<GlobalShortcuts::ModuleContext>(services);
        handlers = std::make_unique<GlobalShortcuts::HotKeyHandlers>(*shortcuts, *services.hotKeys);
        shortcuts->setAlertPresenter(&ui::DialogPresenter::presentRecorderAlert);
        ui::DialogPresenter::setAnswerer({});
    }
    void TearDown() override { m_window.reset(); }

    // The Input tab in Custom mode over the tray window's state row, active and recording.
    GlobalShortcuts::RecorderField *openRecording()
    {
        defaults->setBool(QStringLiteral("useFnKey"), false);
        create();
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        auto *tab = new ui::InputTab(*app);
        layout->addWidget(tab);
        m_stateRow = new ui::MenuBarStateRow(*app);
        layout->addWidget(m_stateRow);
        m_window->show();
        m_window->activateWindow();
        if (!testsupport::waitUntil([this] { return m_window->isActiveWindow(); }, 3000))
            return nullptr;
        QCoreApplication::processEvents(); // the field may take focus from the next turn on
        GlobalShortcuts::RecorderField *field = tab->recorder()->field();
        field->setFocus(Qt::MouseFocusReason);
        return field->isRecording() ? field : nullptr;
    }
    // Answers the next alert as the user does, once it is up and has the keyboard.
    void answerNextAlert(std::function<void(QMessageBox &)> answer)
    {
        auto *poll = new QTimer(m_window.get());
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, answer = std::move(answer)] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isActiveWindow())
                return;
            poll->stop();
            poll->deleteLater();
            m_alerts << box->text();
            answer(*box);
        });
        poll->start(20);
    }
    void pressControlAlt(std::uint8_t key)
    {
        m_typist.key(x11test::controlLeft, true);
        m_typist.key(x11test::altLeft, true);
        m_typist.tap(key);
        m_typist.key(x11test::altLeft, false);
        m_typist.key(x11test::controlLeft, false);
    }
    static std::optional<Shortcut> stored()
    {
        return GlobalShortcuts::getShortcut(HotkeyManager::shortcutName());
    }
    bool stateRowShows(const char *label) const
    {
        return shown(m_stateRow->findChild<QWidget *>(QLatin1String(label)));
    }

    x11test::XTestClient m_typist;
    x11test::XTestClient m_owner; // the other program holding Control+Option+J
    testsupport::LogCapture m_shortcutLog{QStringLiteral("parlovox.globalshortcuts")};
    std::unique_ptr<QWidget> m_window;
    ui::MenuBarStateRow *m_stateRow = nullptr;
    QStringList m_alerts;
};

TEST_F(RecorderAlertX11, RecordingGoesOnAfterTheAlertAndAHeldShortcutUsedAnywayShowsNotActive)
{
    ASSERT_TRUE(m_owner.grab(xJ, xControlAlt));
    GlobalShortcuts::RecorderField *field = openRecording();
    ASSERT_NE(field, nullptr);

    // Return takes the default button, OK: refused, and the next combination is recorded.
    answerNextAlert([this](QMessageBox &) { m_typist.tap(xReturn); });
    pressControlAlt(xJ);
    ASSERT_TRUE(testsupport::waitUntil(
        [this] { return m_alerts.size() == 1 && !QApplication::activeModalWidget(); }, 5000));
    EXPECT_TRUE(m_alerts[0].startsWith(localized("keyboard_shortcut_used_by_system")));
    EXPECT_FALSE(stored());
    // The user sees "Press Shortcut" again, then presses the next combination.
    ASSERT_TRUE(testsupport::waitUntil([field] { return field->isRecording(); }, 3000))
        << "focus " << field->hasFocus() << ", placeholder "
        << field->placeholderText().toStdString();
    pressControlAlt(xM);
    ASSERT_TRUE(
        testsupport::waitUntil([] { return stored() == Shortcut(46, controlOption); }, 3000));
    EXPECT_EQ(field->text(), QStringLiteral("⌃⌥M"));
    EXPECT_TRUE(stateRowShows("idleLabel"));
    EXPECT_FALSE(stateRowShows("shortcutInactiveLabel"));

    // "Use Anyway" stores what the other client holds; the field and the tray window's state
    // say at once that it does nothing, and the log says so as an error.
    field->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(field->isRecording());
    answerNextAlert([](QMessageBox &box) {
        for (QAbstractButton *button : box.buttons())
            if (button->text() == localized("force_use_shortcut"))
                button->click();
    });
    pressControlAlt(xJ);
    ASSERT_TRUE(
        testsupport::waitUntil([] { return stored() == Shortcut(38, controlOption); }, 5000));
    EXPECT_EQ(field->text(), QStringLiteral("⌃⌥J — not active"));
    EXPECT_FALSE(stateRowShows("idleLabel"));
    EXPECT_TRUE(stateRowShows("shortcutInactiveLabel"));
    EXPECT_EQ(m_shortcutLog.lines(QStringLiteral("critical"))
                  .filter(QStringLiteral("[GlobalShortcuts] Hotkey ⌃⌥J is not active"))
                  .size(),
              1);
    render(*m_window, QStringLiteral("recorder-shortcut-not-active"));

    // Once the other program lets go, storing it again makes it work.
    m_owner.ungrab(xJ, xControlAlt);
    GlobalShortcuts::storeShortcut(Shortcut(38, controlOption), HotkeyManager::shortcutName());
    EXPECT_EQ(field->text(), QStringLiteral("⌃⌥J"));
    EXPECT_TRUE(stateRowShows("idleLabel"));
}

} // namespace
