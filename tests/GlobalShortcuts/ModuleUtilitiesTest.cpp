// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/ControlAlignment.h"
#include "GlobalShortcuts/LocalEventMonitor.h"
#include "GlobalShortcuts/ModalSession.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/ObjectAssociation.h"
#include "GlobalShortcuts/RunLoopLocalEventMonitor.h"
#include "support/FixedLayoutKeyboard.h"
#include "support/MemoryUserDefaults.h"

#include <QApplication>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;
using platform::Event;

namespace {

constexpr quint32 scanCodeQ = 24; // X key code of the Q position
constexpr quint32 scanCodeW = 25;

// A window that writes down the input that reached it.
class InputWindow final : public QWindow
{
public:
    QStringList received;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        received << QStringLiteral("down %1").arg(e->nativeScanCode());
    }
    void keyReleaseEvent(QKeyEvent *e) override
    {
        received << QStringLiteral("up %1").arg(e->nativeScanCode());
    }
    void mouseReleaseEvent(QMouseEvent *) override { received << QStringLiteral("click"); }
};

class EventMonitorTest : public ::testing::Test
{
protected:
    EventMonitorTest()
    {
        m_keyboard.mapScanCode(scanCodeQ, 12);
        m_keyboard.mapScanCode(scanCodeW, 13);
    }

    void key(QEvent::Type type, quint32 scanCode, Qt::KeyboardModifiers modifiers = {})
    {
        QKeyEvent event(type, Qt::Key_unknown, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(&m_window, &event);
    }
    void click(QPointF at)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(&m_window, &event);
    }

    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FixedLayoutKeyboard m_keyboard;
    ModuleContext m_context{m_defaults, &m_keyboard};
    InputWindow m_window;
    QList<Event> m_seen;
};

TEST_F(EventMonitorTest, LocalMonitorSeesItsTypesFirstAndSwallowsWhatItKeeps)
{
    auto monitor = std::make_unique<LocalEventMonitor>(
        platform::eventMask(Event::Type::keyDown) | platform::eventMask(Event::Type::leftMouseUp),
        [this](const Event &e) -> std::optional<Event> {
            m_seen << e;
            return e.keyCode == 12 ? std::nullopt : std::optional<Event>(e);
        });
    key(QEvent::KeyPress, scanCodeQ);
    EXPECT_TRUE(m_seen.isEmpty()) << "not started yet";
    monitor->start().start();

    key(QEvent::KeyPress, scanCodeQ, Qt::ControlModifier | Qt::MetaModifier);
    key(QEvent::KeyPress, scanCodeW);
    key(QEvent::KeyRelease, scanCodeQ); // not in the mask
    key(QEvent::KeyPress, 200);         // no known position
    click(QPointF(7, 9));
    ASSERT_EQ(m_seen.size(), 3);
    EXPECT_EQ(m_seen[0].type, Event::Type::keyDown);
    EXPECT_EQ(m_seen[0].modifierFlags, 0x40000u | 0x100000u);
    EXPECT_EQ(m_seen[0].window, &m_window);
    EXPECT_EQ(m_seen[2].type, Event::Type::leftMouseUp);
    EXPECT_EQ(m_seen[2].locationInWindow, QPointF(7, 9));
    EXPECT_EQ(m_window.received, (QStringList{QStringLiteral("down 24"), QStringLiteral("down 25"),
                                              QStringLiteral("up 24"), QStringLiteral("down 200"),
                                              QStringLiteral("click")}));

    monitor.reset();
    m_seen.clear();
    key(QEvent::KeyPress, scanCodeQ);
    EXPECT_TRUE(m_seen.isEmpty());
}

TEST_F(EventMonitorTest, LocalMonitorOutlivingItsFilterReleasesQuietly)
{
    LocalEventMonitor monitor(platform::eventMask(Event::Type::keyDown),
                              [](const Event &e) { return std::optional<Event>(e); });
    monitor.start();
    // The application object owns the filter; here it goes first, as at shutdown.
    const QObjectList children = QCoreApplication::instance()->children();
    for (QObject *child : children) {
        if (child->inherits("GlobalShortcuts::ApplicationEventFilter"))
            delete child;
    }
    m_seen.clear();
    key(QEvent::KeyPress, scanCodeQ);
    EXPECT_EQ(m_window.received, QStringList{QStringLiteral("down 24")});
}

TEST_F(EventMonitorTest, RunLoopMonitorDropsMatchedEventsOnlyWhileStarted)
{
    RunLoopLocalEventMonitor monitor(
        platform::eventMask(Event::Type::keyDown) | platform::eventMask(Event::Type::keyUp),
        RunLoopLocalEventMonitor::RunLoopMode::defaultMode,
        [this](const Event &e) -> std::optional<Event> {
            m_seen << e;
            return e.keyCode == 12 ? std::nullopt : std::optional<Event>(e);
        });
    key(QEvent::KeyPress, scanCodeQ);
    monitor.start();
    monitor.start();
    key(QEvent::KeyPress, scanCodeQ);
    key(QEvent::KeyPress, scanCodeW);
    click(QPointF(1, 1));
    key(QEvent::KeyRelease, scanCodeQ);
    monitor.stop();
    monitor.stop();
    key(QEvent::KeyRelease, scanCodeQ);
    EXPECT_EQ(m_seen.size(), 3);
    EXPECT_EQ(m_window.received, (QStringList{QStringLiteral("down 24"), QStringLiteral("down 25"),
                                              QStringLiteral("click"), QStringLiteral("up 24")}));
    EXPECT_FALSE(monitor.isStarted());
}

TEST_F(EventMonitorTest, EventTrackingModeActsOnlyWhileAMenuHasTheInput)
{
    RunLoopLocalEventMonitor monitor(platform::eventMask(Event::Type::keyDown),
                                     RunLoopLocalEventMonitor::RunLoopMode::eventTracking,
                                     [this](const Event &e) -> std::optional<Event> {
                                         m_seen << e;
                                         return std::nullopt;
                                     });
    monitor.start();
    key(QEvent::KeyPress, scanCodeQ);
    EXPECT_TRUE(m_seen.isEmpty());
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));
    menu.popup(QPoint(0, 0));
    ASSERT_TRUE(QApplication::activePopupWidget());
    key(QEvent::KeyPress, scanCodeQ);
    EXPECT_EQ(m_seen.size(), 1);
    menu.hide();
}

TEST(ObjectAssociation, EachInstanceIsOneSlotAndNoneRemoves)
{
    ObjectAssociation<QString> first;
    ObjectAssociation<int> second(AssociationPolicy::assign);
    QObject a, b;
    EXPECT_FALSE(first.value(&a));
    first.setValue(&a, QStringLiteral("token"));
    second.setValue(&a, 7);
    EXPECT_EQ(first.value(&a), QStringLiteral("token"));
    EXPECT_EQ(second.value(&a), 7);
    EXPECT_FALSE(first.value(&b));
    first.setValue(&a, std::nullopt);
    EXPECT_FALSE(first.value(&a));
    EXPECT_EQ(second.value(&a), 7);
    EXPECT_EQ(static_cast<unsigned>(AssociationPolicy::retain), 769u);
}

TEST(ModalSession, StopModalEndsTheInnermostLoopWithTheResponse)
{
    stopModal(5); // nothing runs: nothing happens
    int inner = -1;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [] { stopModal(1001); });
        inner = runModalLoop();
        stopModal(1000);
    });
    EXPECT_EQ(runModalLoop(), 1000);
    EXPECT_EQ(inner, 1001);
}

TEST(ControlAlignment, RowsLineUpOnTheirControls)
{
    QWidget container;
    QFormLayout *layout = ControlAlignment::createLayout(&container);
    auto *shortField = new QLineEdit;
    auto *longField = new QLineEdit;
    ControlAlignment::addLabelledRow(layout, new QLabel(QStringLiteral("Key:")), shortField);
    ControlAlignment::addLabelledRow(layout, new QLabel(QStringLiteral("A much longer label:")),
                                     longField);
    container.resize(500, 200);
    container.show();
    layout->activate();
    EXPECT_EQ(shortField->geometry().left(), longField->geometry().left());
    auto *shortLabel = qobject_cast<QWidget *>(layout->labelForField(shortField));
    EXPECT_LE(shortLabel->geometry().right(), shortField->geometry().left());
}

} // namespace
