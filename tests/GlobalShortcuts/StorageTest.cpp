// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalShortcuts/Storage.h"
#include "GlobalShortcuts/HotKeyLayer.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/Name.h"
#include "platform/linux/LinuxEventMonitors.h"
#include "support/FakeEventMonitors.h"
#include "support/MemoryUserDefaults.h"

#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

// Writes what the storage asked of the hot-key layer, in order.
class RecordingHotKeys final : public HotKeyLayer
{
public:
    void registerShortcut(const Shortcut &s) override
    {
        m_log << QStringLiteral("register %1").arg(text(s));
    }
    void unregisterShortcut(const Shortcut &s) override
    {
        m_log << QStringLiteral("unregister %1").arg(text(s));
    }
    void updateEventHandler() override { m_log << QStringLiteral("update"); }

    QString take()
    {
        const QString joined = m_log.join(QStringLiteral(", "));
        m_log.clear();
        return joined;
    }

private:
    static QString text(const Shortcut &s)
    {
        return QStringLiteral("%1/0x%2").arg(s.carbonKeyCode()).arg(s.carbonModifiers(), 0, 16);
    }
    QStringList m_log;
};

const Shortcut controlOptionK(40, 0x1800);
const Shortcut commandF5(96, 0x100);

class StorageTest : public ::testing::Test
{
protected:
    StorageTest() { m_context.setHotKeyLayer(&m_hotKeys); }

    QStringList notifiedNames()
    {
        QStringList names;
        for (const QList<QVariant> &args : m_notified)
            names << args.at(0).value<Name>().rawValue();
        m_notified.clear();
        return names;
    }
    std::optional<QJsonValue> stored(const QString &name) const
    {
        return m_defaults.value(QStringLiteral("GlobalShortcuts_") + name);
    }

    testsupport::MemoryUserDefaults m_defaults;
    // The program's own menus, followed for real.
    platform::linux_impl::LinuxEventMonitors m_monitors;
    ModuleContext m_context{m_defaults, nullptr, &m_monitors};
    RecordingHotKeys m_hotKeys;
    QSignalSpy m_notified{&m_context.notifier(), &Notifier::shortcutByNameDidChange};
};

TEST_F(StorageTest, StoresJsonTextUnderThePrefixedKeyAndReadsItBack)
{
    const Name name(QStringLiteral("parlovox"));
    EXPECT_FALSE(name.shortcut());
    name.setShortcut(controlOptionK);
    EXPECT_EQ(stored(QStringLiteral("parlovox")),
              QJsonValue(QStringLiteral(R"({"carbonKeyCode":40,"carbonModifiers":6144})")));
    EXPECT_EQ(name.shortcut(), controlOptionK);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("register 40/0x1800"));
    EXPECT_EQ(notifiedNames(), QStringList{QStringLiteral("parlovox")});
    EXPECT_TRUE(m_context.registeredShortcuts().contains(controlOptionK));
}

TEST_F(StorageTest, EveryReadGoesToTheStoreAndTakesTheMembersInAnyOrder)
{
    const Name name(QStringLiteral("parlovox"));
    EXPECT_FALSE(name.shortcut());
    const QString key = QStringLiteral("GlobalShortcuts_parlovox");
    m_defaults.setValue(key, QStringLiteral(R"({ "carbonModifiers": 256, "carbonKeyCode": 96 })"));
    EXPECT_EQ(name.shortcut(), commandF5);
    m_defaults.setValue(key, QJsonValue(false));
    EXPECT_FALSE(name.shortcut());
}

TEST_F(StorageTest, ReplacingAShortcutMovesTheHotKeyAndStoringItAgainReRegisters)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(controlOptionK);
    m_hotKeys.take();
    name.setShortcut(commandF5);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("unregister 40/0x1800, register 96/0x100"));
    EXPECT_EQ(m_context.registeredShortcuts(), QSet<Shortcut>{commandF5});
    storeShortcut(commandF5, name);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("unregister 96/0x100, register 96/0x100"));
    EXPECT_EQ(notifiedNames().size(), 3);
}

TEST_F(StorageTest, ANameWithADefaultStoresItOnlyWhenTheKeyIsEmpty)
{
    const Name first(QStringLiteral("toggle"), commandF5);
    EXPECT_EQ(first.shortcut(), commandF5);
    // The notification carries the name with its default.
    ASSERT_EQ(m_notified.size(), 1);
    EXPECT_EQ(m_notified.at(0).at(0).value<Name>().defaultShortcut(), commandF5);
    EXPECT_EQ(notifiedNames(), QStringList{QStringLiteral("toggle")});

    // Already stored: nothing is written or posted again, whatever the new default.
    first.setShortcut(controlOptionK);
    notifiedNames();
    const Name again(QStringLiteral("toggle"), commandF5);
    EXPECT_EQ(again.shortcut(), controlOptionK);
    EXPECT_TRUE(notifiedNames().isEmpty());
}

TEST_F(StorageTest, ClearingANameWithADefaultRemembersFalseAcrossRestarts)
{
    const Name name(QStringLiteral("toggle"), commandF5);
    m_hotKeys.take();
    notifiedNames();
    name.setShortcut(std::nullopt);
    EXPECT_EQ(stored(QStringLiteral("toggle")), QJsonValue(false));
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("unregister 96/0x100"));
    EXPECT_EQ(notifiedNames(), QStringList{QStringLiteral("toggle")});

    // The next start creates the name with its default again: false keeps it out.
    const Name nextStart(QStringLiteral("toggle"), commandF5);
    EXPECT_FALSE(nextStart.shortcut());
    EXPECT_EQ(stored(QStringLiteral("toggle")), QJsonValue(false));
    EXPECT_TRUE(m_hotKeys.take().isEmpty());
}

TEST_F(StorageTest, ClearingANameWithoutDefaultRemovesTheKeyAndClearingNothingDoesNothing)
{
    const Name name(QStringLiteral("parlovox"));
    name.setShortcut(std::nullopt);
    EXPECT_TRUE(notifiedNames().isEmpty());
    EXPECT_FALSE(hasStoredValue(name));

    name.setShortcut(controlOptionK);
    notifiedNames();
    name.setShortcut(std::nullopt);
    EXPECT_FALSE(hasStoredValue(name));
    EXPECT_EQ(notifiedNames(), QStringList{QStringLiteral("parlovox")});
    EXPECT_TRUE(m_context.registeredShortcuts().isEmpty());
}

TEST_F(StorageTest, UnreadableValuesReadAsNoShortcutAndStayUntilReplaced)
{
    const QString key = QStringLiteral("GlobalShortcuts_parlovox");
    const Name name(QStringLiteral("parlovox"));
    for (const QJsonValue &foreign :
         {QJsonValue(QStringLiteral("not json")),
          QJsonValue(QStringLiteral(R"({"carbonKeyCode":1})")), QJsonValue(40), QJsonValue(true),
          QJsonValue(QJsonObject{{"carbonKeyCode", 1}, {"carbonModifiers", 0}})}) {
        m_defaults.setValue(key, foreign);
        EXPECT_FALSE(name.shortcut()) << foreign.toVariant().toString().toStdString();
        name.setShortcut(std::nullopt);
        reset(name);
        EXPECT_EQ(m_defaults.value(key), foreign);
    }
    EXPECT_TRUE(notifiedNames().isEmpty());

    name.setShortcut(commandF5);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("register 96/0x100")); // nothing to unregister
    EXPECT_EQ(name.shortcut(), commandF5);
}

TEST_F(StorageTest, ResetGoesBackToTheDefaultCarriedByTheNameGiven)
{
    const Name withDefault(QStringLiteral("toggle"), commandF5);
    withDefault.setShortcut(std::nullopt); // false
    const Name plain(QStringLiteral("parlovox"));
    plain.setShortcut(controlOptionK);
    m_hotKeys.take();
    notifiedNames();

    reset(withDefault, plain);
    EXPECT_EQ(withDefault.shortcut(), commandF5);
    EXPECT_FALSE(hasStoredValue(plain));
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("register 96/0x100, unregister 40/0x1800"));
    EXPECT_EQ(notifiedNames(), (QStringList{QStringLiteral("toggle"), QStringLiteral("parlovox")}));

    // The same name string with another default is the same name; reset uses the default it
    // carries.
    reset(Name(QStringLiteral("toggle"), controlOptionK));
    EXPECT_EQ(withDefault.shortcut(), controlOptionK);
    // A reset with a default always writes and posts, even when the default is already stored.
    notifiedNames();
    reset(QList<Name>{withDefault});
    EXPECT_EQ(notifiedNames(), QStringList{QStringLiteral("toggle")});
}

TEST_F(StorageTest, ResetAllRemovesValidShortcutsWithoutRestoringDefaults)
{
    const Name withDefault(QStringLiteral("toggle"), commandF5);
    const Name removed(QStringLiteral("removed"), controlOptionK);
    removed.setShortcut(std::nullopt);
    m_defaults.setValue(QStringLiteral("GlobalShortcuts_junk"), QStringLiteral("junk"));
    m_defaults.setValue(QStringLiteral("unrelated"), QStringLiteral("kept"));

    EXPECT_EQ(storedNames(),
              (QSet<Name>{Name(QStringLiteral("toggle")), Name(QStringLiteral("removed")),
                          Name(QStringLiteral("junk"))}));
    resetAll();
    EXPECT_FALSE(hasStoredValue(withDefault));
    EXPECT_EQ(m_defaults.value(QStringLiteral("GlobalShortcuts_removed")), QJsonValue(false));
    EXPECT_EQ(m_defaults.value(QStringLiteral("GlobalShortcuts_junk")),
              QJsonValue(QStringLiteral("junk")));
    EXPECT_EQ(m_defaults.value(QStringLiteral("unrelated")), QJsonValue(QStringLiteral("kept")));
    EXPECT_TRUE(m_context.registeredShortcuts().isEmpty());
}

TEST_F(StorageTest, NamesAreEqualByStringAloneAndShareOneEntry)
{
    const Name a(QStringLiteral("same"), commandF5);
    const Name b(QStringLiteral("same"), controlOptionK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_EQ((QSet<Name>{a, b}).size(), 1);
    EXPECT_EQ(b.shortcut(), commandF5); // one storage key: the first default won
    const Name empty(QString{});
    empty.setShortcut(commandF5);
    EXPECT_TRUE(m_defaults.contains(QStringLiteral("GlobalShortcuts_")));
}

TEST_F(StorageTest, AShortcutAnotherStoredNameStandsForStaysRegistered)
{
    const Name first(QStringLiteral("first"));
    const Name second(QStringLiteral("second"));
    first.setShortcut(controlOptionK);
    second.setShortcut(controlOptionK);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("register 40/0x1800"));

    first.setShortcut(commandF5);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("register 96/0x100"));
    second.setShortcut(std::nullopt);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("unregister 40/0x1800"));
    EXPECT_EQ(m_context.registeredShortcuts(), QSet<Shortcut>{commandF5});
}

TEST_F(StorageTest, TheSwitchAndOpenMenusUpdateTheHotKeyLayerOnlyOnChange)
{
    EXPECT_TRUE(isEnabled());
    setIsEnabled(true);
    EXPECT_TRUE(m_hotKeys.take().isEmpty());
    setIsEnabled(false);
    setIsEnabled(false);
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("update"));
    setIsEnabled(true);
    m_hotKeys.take();

    const Name name(QStringLiteral("parlovox")); // starts following the menus
    QMenu menu;
    QMenu *submenu = menu.addMenu(QStringLiteral("More"));
    menu.show();
    EXPECT_TRUE(isMenuOpen());
    submenu->show();
    submenu->hide();
    EXPECT_TRUE(isMenuOpen());
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("update"));
    menu.hide();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_EQ(m_hotKeys.take(), QStringLiteral("update"));

    auto *doomed = new QMenu;
    doomed->show();
    EXPECT_TRUE(isMenuOpen());
    delete doomed;
    EXPECT_FALSE(isMenuOpen());
}

TEST(StorageMenus, FollowsTheMenuTrackingOfTheEventMonitors)
{
    testsupport::MemoryUserDefaults defaults;
    testsupport::FakeEventMonitors monitors;
    ModuleContext context(defaults, nullptr, &monitors);
    RecordingHotKeys hotKeys;
    context.setHotKeyLayer(&hotKeys);

    const Name name(QStringLiteral("parlovox"));
    monitors.beginMenuTracking();
    EXPECT_TRUE(isMenuOpen());
    EXPECT_EQ(hotKeys.take(), QStringLiteral("update"));
    monitors.endMenuTracking();
    EXPECT_FALSE(isMenuOpen());
    EXPECT_EQ(hotKeys.take(), QStringLiteral("update"));
}

} // namespace
