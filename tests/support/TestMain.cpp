// SPDX-License-Identifier: GPL-3.0-or-later
// Shared entry of every test binary: a Qt application object exists for the whole run.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
#ifdef PARLOVOX_TEST_WANTS_X11
    // Tests of the X11 backends need the real platform; without a display they skip themselves.
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    else
        qputenv("QT_QPA_PLATFORM", "offscreen");
#elif defined(PARLOVOX_TEST_OFFSCREEN)
    // A binary whose tests need particular offscreen screens names them itself, so it runs the
    // same by hand as under CTest.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", PARLOVOX_TEST_OFFSCREEN);
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ParlovoxTests"));
    return RUN_ALL_TESTS();
}
