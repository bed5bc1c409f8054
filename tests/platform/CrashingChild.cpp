// SPDX-License-Identifier: GPL-3.0-or-later
// Starts crash reporting with crash records in argv[1] and the DSN argv[2], then dies of a real
// segmentation fault.
#include "platform/linux/SentryCrashReporter.h"

#include <QCoreApplication>

#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    const rlimit noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);

    platform::linux_impl::SentryCrashReporter reporter(QString::fromLocal8Bit(argv[1]),
                                                       QStringLiteral("parlovox@test"));
    platform::CrashReporter::Options options;
    options.dsn = QString::fromLocal8Bit(argv[2]);
    options.diagnosticReports = true;
    reporter.start(options);

    volatile int *volatile nowhere = nullptr;
    *nowhere = 42;
    return 0;
}
