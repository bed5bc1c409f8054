// SPDX-License-Identifier: GPL-3.0-or-later
// A first launch as a new user meets it: the real program, started with only a server in its
// settings, shows the onboarding window; clicked through as a user does (both permissions are
// there on the test desktop, the shortcut is recorded in the window), it closes, and the next
// dictation lands in another program's text field.
#include "DictationE2EFixture.h"

#include <QProcess>

#include <functional>

namespace {

class OnboardingE2ETest : public e2e::DictationE2EFixture
{
protected:
    // The visible onboarding window's id, or empty.
    static QString onboardingWindow()
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), QStringLiteral("^Parlovox$")});
        if (!search.waitForFinished(3000))
            return {};
        return QString::fromLatin1(search.readAllStandardOutput())
            .split(QLatin1Char('\n'))
            .value(0)
            .trimmed();
    }
    // The visible windows of the program under test, its docked tray icon among them.
    QStringList visibleWindows()
    {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--pid"), QString::number(m_parlovox.processId())});
    }
    static QStringList xdotool(const QStringList &arguments)
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"), arguments);
        if (!search.waitForFinished(3000))
            return {};
        return QString::fromLatin1(search.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The tray host's window, where our icon is the only one docked.
    static QString trayHost()
    {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--class"), QStringLiteral("trayer")})
            .value(0);
    }
    // A click at a point of the window, as the user makes it.
    static void click(const QString &window, int x, int y)
    {
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                           QString::number(x), QString::number(y), QStringLiteral("click"),
                           QStringLiteral("1")});
    }
    // Waits until the settings file the program writes contains `text`.
    bool waitForSetting(const QByteArray &text, int timeoutMs = 10000) const
    {
        return testsupport::waitUntil(
            [&] {
                QFile file(home(QStringLiteral(".config/Parlovox/defaults.json")));
                return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
            },
            timeoutMs);
    }
    // Does `act` until the settings file contains `text`: a window still moving into place may
    // miss the first click.
    bool repeatUntilSetting(const std::function<void()> &act, const QByteArray &text)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            act();
            if (waitForSetting(text, 500))
                return true;
        }
        return false;
    }
};

TEST_F(OnboardingE2ETest, AFirstLaunchGuidesThroughOnboardingAndTheNextDictationPastes)
{
    ASSERT_NO_FATAL_FAILURE(makeSpeech());
    ASSERT_NO_FATAL_FAILURE(seedSettings(false));
    ASSERT_NO_FATAL_FAILURE(startTextField());

    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    ASSERT_TRUE(m_parlovox.waitForLine("[Onboarding] Panel shown", 20000))
        << qPrintable(m_parlovox.output());
    const QString window = onboardingWindow();
    ASSERT_FALSE(window.isEmpty()) << qPrintable(m_parlovox.output());
    // The test desktop has a microphone and XTEST, so both permissions are granted already.
    click(window, 200, 439); // "Continue"; the try-it step slides in
    ASSERT_TRUE(repeatUntilSetting([&] { click(window, 278, 169); }, // "Custom"
                                   "\"useFnKey\": false"));
    ASSERT_TRUE(repeatUntilSetting(
        [&] {
            click(window, 199, 199); // the shortcut recorder
            pressShortcut();
            releaseShortcut();
        },
        "GlobalShortcuts_parlovox"))
        << qPrintable(m_parlovox.output());
    ASSERT_TRUE(repeatUntilSetting([&] { click(window, 200, 439); }, // "Finish Setup"
                                   "\"onboardingComplete\": true"))
        << qPrintable(m_parlovox.output());
    ASSERT_TRUE(testsupport::waitUntil([this] { return onboardingWindow().isEmpty(); }));

    ASSERT_NO_FATAL_FAILURE(focusTextField());
    ASSERT_NO_FATAL_FAILURE(dictateIntoTextField());

    // The tray icon is docked in the desktop's tray; a click on it opens the tray window beside
    // it, and Escape closes it again.
    const QString tray = trayHost();
    ASSERT_FALSE(tray.isEmpty());
    // Once the indicator has faded out, the docked icon is all the program shows.
    ASSERT_TRUE(testsupport::waitUntil([&] { return visibleWindows().size() == 1; }))
        << "no tray icon of ours is shown";
    const qsizetype withoutWindow = 1;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        if (visibleWindows().size() > withoutWindow)
            return true;
        click(tray, 12, 12);
        return testsupport::waitUntil([&] { return visibleWindows().size() > withoutWindow; },
                                      1000);
    }));
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(testsupport::waitUntil([&] { return visibleWindows().size() == withoutWindow; }));
}

} // namespace
