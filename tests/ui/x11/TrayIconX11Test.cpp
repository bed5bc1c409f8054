// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon appears when a tray host starts after the program: the icon's side runs in
// parlovox_tray_probe on a private X display, which gets its tray host only once the probe has
// seen it missing.
#include "support/EventLoop.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// An Xvfb of our own, for as long as the object lives.
class PrivateDisplay
{
public:
    ~PrivateDisplay() { stop(m_server); }

    bool start()
    {
        if (!m_directory.isValid())
            return false;
        const QString numberFile = m_directory.filePath(QStringLiteral("display"));
        m_server.setStandardOutputFile(QProcess::nullDevice());
        m_server.setStandardErrorFile(QProcess::nullDevice());
        // Xvfb writes the display number it took to the descriptor it is given.
        m_server.start(QStringLiteral("sh"),
                       {QStringLiteral("-c"),
                        QStringLiteral("exec Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp "
                                       "3>'%1'")
                            .arg(numberFile)});
        if (!testsupport::waitUntil([&] { return QFile(numberFile).size() > 0; }, 10000))
            return false;
        QFile file(numberFile);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        m_name = QStringLiteral(":") + QString::fromLatin1(file.readAll().trimmed());
        return true;
    }

    // A program running on this display.
    void launch(QProcess &process, const QString &program, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_name);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
    }

    static void stop(QProcess &process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir m_directory;
    QProcess m_server;
    QString m_name;
};

TEST(TrayIconX11Test, TheIconAppearsWhenATrayHostStartsAfterTheProgram)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    PrivateDisplay display;
    ASSERT_TRUE(display.start());

    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    display.launch(probe, QStringLiteral(PARLOVOX_TRAY_PROBE), {});
    QByteArray said;
    const auto probeSaid = [&](const QByteArray &line) {
        said += probe.readAllStandardOutput();
        return said.contains(line);
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return probeSaid("NO TRAY\n"); }, 15000))
        << said.constData();

    QProcess tray;
    tray.setProcessChannelMode(QProcess::ForwardedChannels);
    display.launch(tray, QStringLiteral("trayer"),
                   {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                    QStringLiteral("right"), QStringLiteral("--height"), QStringLiteral("24")});
    ASSERT_TRUE(tray.waitForStarted(5000));

    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return probeSaid("") && probe.state() == QProcess::NotRunning; }, 30000));
    said += probe.readAllStandardOutput();
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << said.constData();
    EXPECT_TRUE(said.contains("ICON AT ")) << said.constData();
    PrivateDisplay::stop(tray);
}

} // namespace
