// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/ControlAlignment.h"
#include "GlobalShortcuts/LocalEventMonitor.h"
#include "GlobalShortcuts/ModalSession.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/ObjectAssociation.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "support/FakeEventMonitors.h"
#include "support/MemoryUserDefaults.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;
using platform::Event;

namespace {

Event keyEvent(Event::Type type, quint16 keyCode, quint64 modifierFlags = 0)
{
    Event event;
    event.type = type;
    event.keyCode = keyCode;
    event.modifierFlags = modifierFlags;
    return event;
}

Event click(Event::Type type, QPointF at)
{
    Event event;
    event.type = type;
    event.locationInWindow = at;
    return event;
}

// The module's monitors over the event monitors the test feeds.
class EventMonitorTest : public ::testing::Test
{
protected:
    // Records every event it is offered and swallows those of key code 12.
    std::optional<Event> keepQ(const Event &e)
    {
        m_seen << e;
        return e.keyCode == 12 ? std::nullopt : std::optional<Event>(e);
    }

    testsupport::MemoryUserDefaults m_defaults;
    testsupport::FakeEventMonitors m_monitors;
    ModuleContext m_context{m_defaults, nullptr, &m_monitors};
    QList<Event> m_seen;
};

TEST_F(EventMonitorTest, LocalMonitorSeesItsTypesOnlyOnceStartedAndSwallowsWhatItKeeps)
{
    auto monitor = std::make_unique<LocalEventMonitor>(
        platform::eventMask(Event::Type::keyDown) | platform::eventMask(Event::Type::leftMouseUp),
        [this](const Event &e) { return keepQ(e); });
    EXPECT_TRUE(m_monitors.postLocal(keyEvent(Event::Type::keyDown, 12)));
    EXPECT_TRUE(m_seen.isEmpty()) << "not started yet";
    monitor->start().start();
    EXPECT_EQ(m_monitors.localMonitorCount(), 1);
    EXPECT_EQ(m_monitors.monitorsAdded(), 1);

    const Event controlCommandQ = keyEvent(Event::Type::keyDown, 12, 0x40000u | 0x100000u);
    EXPECT_FALSE(m_monitors.postLocal(controlCommandQ));
    EXPECT_TRUE(m_monitors.postLocal(keyEvent(Event::Type::keyDown, 13)));
    EXPECT_TRUE(m_monitors.postLocal(keyEvent(Event::Type::keyUp, 12))); // not in the mask
    EXPECT_TRUE(m_monitors.postLocal(click(Event::Type::leftMouseUp, QPointF(7, 9))));
    ASSERT_EQ(m_seen.size(), 3);
    EXPECT_EQ(m_seen[0], controlCommandQ);
    EXPECT_EQ(m_seen[2].locationInWindow, QPointF(7, 9));

    monitor.reset();
    EXPECT_EQ(m_monitors.localMonitorCount(), 0);
    m_seen.clear();
    EXPECT_TRUE(m_monitors.postLocal(keyEvent(Event::Type::keyDown, 12)));
    EXPECT_TRUE(m_seen.isEmpty());
}

// A window that writes down the clicks that reached it.
class ClickWindow final : public QWindow
{
public:
    QStringList received;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        received << QStringLiteral("press %1").arg(int(e->button()));
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        received << QStringLiteral("click %1").arg(int(e->button()));
    }
};

void sendMouse(QWindow &window, QEvent::Type type, Qt::MouseButton button, QPointF at)
{
    QMouseEvent event(type, at, at, button, Qt::NoButton, {});
    QCoreApplication::sendEvent(&window, &event);
}

TEST(EventMonitorContext, OnTheLinuxMonitorsClicksAreSeenFirstAndAMonitorOutlivingThemIsQuiet)
{
    testsupport::MemoryUserDefaults defaults;
    auto monitors = std::make_unique<platform::linux_impl::LinuxEventMonitors>();
    ModuleContext context(defaults, nullptr, monitors.get());
    ClickWindow window;
    QList<Event> seen;
    LocalEventMonitor monitor(platform::eventMask(Event::Type::leftMouseDown) |
                                  platform::eventMask(Event::Type::leftMouseUp) |
                                  platform::eventMask(Event::Type::rightMouseUp),
                              [&seen](const Event &e) -> std::optional<Event> {
                                  seen << e;
                                  if (e.type == Event::Type::rightMouseUp)
                                      return std::nullopt;
                                  return e;
                              });
    monitor.start();

    sendMouse(window, QEvent::MouseButtonPress, Qt::LeftButton, QPointF(3, 4));
    sendMouse(window, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(7, 9));
    sendMouse(window, QEvent::MouseButtonRelease, Qt::RightButton, QPointF(7, 9));
    sendMouse(window, QEvent::MouseButtonRelease, Qt::MiddleButton, QPointF(7, 9)); // no type
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0].type, Event::Type::leftMouseDown);
    EXPECT_EQ(seen[1].type, Event::Type::leftMouseUp);
    EXPECT_EQ(seen[1].locationInWindow, QPointF(7, 9));
    EXPECT_EQ(seen[1].window, &window);
    EXPECT_EQ(seen[2].type, Event::Type::rightMouseUp);
    const QStringList expected{QStringLiteral("press %1").arg(int(Qt::LeftButton)),
                               QStringLiteral("click %1").arg(int(Qt::LeftButton)),
                               QStringLiteral("click %1").arg(int(Qt::MiddleButton))};
    EXPECT_EQ(window.received, expected);

    // The event monitors go first, as at shutdown: the clicks reach the window untouched and the
    // module's monitor, dropped last, has nothing left to remove.
    monitors.reset();
    seen.clear();
    sendMouse(window, QEvent::MouseButtonRelease, Qt::RightButton, QPointF(1, 1));
    EXPECT_TRUE(seen.isEmpty());
    EXPECT_EQ(window.received.size(), 4);
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
