// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon's picture and commands, offscreen (where no tray ever exists).
#include "ui/menubar/MenuBarExtra.h"

#include "engine/AppStateFixture.h"
#include "engine/UpdaterManager.h"
#include "support/FakeUpdater.h"
#include "ui/RenderOutput.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

class MenuBarExtraTest : public AppStateFixture
{
protected:
    void SetUp() override
    {
        AppStateFixture::SetUp();
        createDictating();
        updaterManager = std::make_unique<UpdaterManager>(updater);
        ui::MenuBarExtra::Actions actions;
        actions.openWindow = [this](const QRect &) { calls << QStringLiteral("window"); };
        actions.openSettings = [this] { calls << QStringLiteral("settings"); };
        actions.lateInit = [this] { calls << QStringLiteral("lateInit"); };
        extra = std::make_unique<ui::MenuBarExtra>(*app, *updaterManager, actions);
    }
    void TearDown() override
    {
        extra.reset();
        updaterManager.reset();
    }

    // What the tray shows now, kept for a picture of all of them side by side.
    QString shown()
    {
        m_pictures << extra->trayIcon().icon().pixmap(32);
        iconKeys.insert(extra->iconName(), extra->trayIcon().icon().cacheKey());
        return extra->iconName();
    }
    // The pictures on a light and on a dark panel.
    void savePictures(const QString &name)
    {
        QWidget strip;
        auto *rows = new QVBoxLayout(&strip);
        for (const QColor &panel : {QColor(Qt::white), QColor(40, 40, 40)}) {
            auto *row = new QWidget;
            row->setAutoFillBackground(true);
            QPalette palette = row->palette();
            palette.setColor(QPalette::Window, panel);
            row->setPalette(palette);
            auto *layout = new QHBoxLayout(row);
            for (const QPixmap &picture : std::as_const(m_pictures)) {
                auto *label = new QLabel;
                label->setPixmap(picture);
                layout->addWidget(label);
            }
            rows->addWidget(row);
        }
        strip.adjustSize();
        testsupport::saveRender(strip, name);
    }

    testsupport::FakeUpdater updater;
    std::unique_ptr<UpdaterManager> updaterManager;
    std::unique_ptr<ui::MenuBarExtra> extra;
    QStringList calls;
    // The icon each symbol was first shown with.
    QHash<QString, qint64> iconKeys;

private:
    QList<QPixmap> m_pictures;
};

TEST_F(MenuBarExtraTest, ThePictureFollowsStateServerAndQueueAndAnUpdateOutranksThemAll)
{
    EXPECT_EQ(shown(), QStringLiteral("waveform.badge.exclamationmark"));
    app->setServerReachable(true);
    EXPECT_EQ(shown(), QStringLiteral("waveform"));
    const QString failed = paths->temporaryDirectory() + QStringLiteral("/parlovox-failed.wav");
    writeFile(failed, QByteArray(1000, '\0'));
    app->retryQueueManager()->enqueue(failed, QStringLiteral("offline"));
    EXPECT_EQ(shown(), QStringLiteral("arrow.clockwise.circle"));
    app->setState(RecordingState::recording());
    EXPECT_EQ(shown(), QStringLiteral("waveform.circle.fill"));
    app->setState(RecordingState::processing());
    EXPECT_EQ(shown(), QStringLiteral("ellipsis"));
    app->setState(RecordingState::error(QStringLiteral("Server error 500: down")));
    EXPECT_EQ(shown(), QStringLiteral("exclamationmark.triangle"));

    updater.finishCheck(true);
    ASSERT_TRUE(testsupport::waitUntil([this] { return updaterManager->updateAvailable(); }));
    EXPECT_EQ(shown(), QStringLiteral("arrow.down.app.fill"));
    app->setState(RecordingState::recording());
    EXPECT_EQ(extra->iconName(), QStringLiteral("arrow.down.app.fill"));
    updater.finishCheck(false);
    ASSERT_TRUE(testsupport::waitUntil([this] { return !updaterManager->updateAvailable(); }));
    EXPECT_EQ(extra->iconName(), QStringLiteral("waveform.circle.fill"));
    savePictures(QStringLiteral("tray-icons"));

    // A symbol shown again comes back as the same icon: each new one would leave its scaled
    // copies in Qt's pixmap cache, dictation after dictation.
    app->setState(RecordingState::processing());
    EXPECT_EQ(extra->trayIcon().icon().cacheKey(), iconKeys.value(QStringLiteral("ellipsis")));
    app->setState(RecordingState::recording());
    EXPECT_EQ(extra->trayIcon().icon().cacheKey(),
              iconKeys.value(QStringLiteral("waveform.circle.fill")));
}

TEST_F(MenuBarExtraTest, WithoutATrayTheProgramRunsOnAndSaysSoOnce)
{
    testsupport::LogCapture uiLog(QStringLiteral("parlovox.ui"));
    ui::MenuBarExtra second(*app, *updaterManager, {});
    scheduler->advance(5 * ui::MenuBarExtra::trayPollSeconds);
    QCoreApplication::processEvents();
    EXPECT_FALSE(second.isShown());
    EXPECT_EQ(uiLog.lines(), QStringList{QStringLiteral(
                                 "info: [App] No system tray: the tray icon appears once the "
                                 "desktop shows one")});
    EXPECT_TRUE(calls.isEmpty()) << "the start-up falls back to its own timer";

    // The commands work all the same (a tray may come later).
    emit extra->trayIcon().activated(QSystemTrayIcon::Trigger);
    emit extra->trayIcon().activated(QSystemTrayIcon::Context);
    extra->contextMenu().actions().value(0)->trigger();
    EXPECT_EQ(calls.join(QStringLiteral(", ")), QStringLiteral("window, settings"));
    EXPECT_EQ(extra->contextMenu().actions().value(0)->text(), QStringLiteral("Settings…"));
}

// Open, the menu holds the keyboard: a paste would go to it. It stays for a transcript that is
// not pasted.
TEST_F(MenuBarExtraTest, TheMenuMakesWayForAPasteAndOnlyForOne)
{
    QMenu &menu = extra->contextMenu();
    app->setAutoPaste(false);
    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"kept"})"), "/inference");
    menu.popup(QPoint(10, 10));
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_TRUE(menu.isVisible());

    app->setAutoPaste(true);
    server.enqueue(testsupport::HttpReply::json(200, R"({"text":"pasted"})"), "/inference");
    // Heard after the tray's own handler, just before the keystroke goes out.
    bool openAtPaste = true;
    QObject::connect(app.get(), &AppState::pasteDue, &menu,
                     [&] { openAtPaste = menu.isVisible(); });
    dictate(1.0);
    ASSERT_TRUE(waitUntilSettled());
    EXPECT_EQ(keys->typed(), QStringLiteral("[Cmd+V]"));
    EXPECT_FALSE(openAtPaste);
}

} // namespace
