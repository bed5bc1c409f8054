// SPDX-License-Identifier: GPL-3.0-or-later
// A text field in its own process for the paste tests: another X client, so the clipboard really
// crosses the X server. Talks line by line on stdout ("WINDOW <id>", "FOCUS", "TEXT <text>",
// "BLUR", "CLICK", "COPIED") and takes commands on stdin ("COPY <text>", "CLEAR", "QUIT"); texts
// are percent-encoded.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QUrl>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

class FocusReporter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            say("FOCUS");
        else if (event->type() == QEvent::FocusOut)
            say("BLUR");
        else if (event->type() == QEvent::MouseButtonPress)
            say("CLICK");
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("Parlovox paste target"));
    field.resize(480, 40);
    FocusReporter focusReporter;
    field.installEventFilter(&focusReporter);
    QObject::connect(&field, &QLineEdit::textChanged,
                     [](const QString &text) { say("TEXT " + QUrl::toPercentEncoding(text)); });

    QByteArray input;
    QSocketNotifier stdinNotifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinNotifier, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            QApplication::quit();
            return;
        }
        input.append(buffer, count);
        qsizetype end;
        while ((end = input.indexOf('\n')) >= 0) {
            const QByteArray line = input.left(end);
            input.remove(0, end + 1);
            if (line.startsWith("COPY ")) {
                QGuiApplication::clipboard()->setText(QUrl::fromPercentEncoding(line.mid(5)),
                                                      QClipboard::Clipboard);
                say("COPIED");
            } else if (line == "CLEAR") {
                field.clear();
                say("CLEARED");
            } else if (line == "QUIT") {
                QApplication::quit();
            }
        }
    });

    field.show();
    field.activateWindow();
    say("WINDOW " + QByteArray::number(static_cast<qulonglong>(field.winId())));
    return QApplication::exec();
}
