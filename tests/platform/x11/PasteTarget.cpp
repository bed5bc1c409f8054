// SPDX-License-Identifier: GPL-3.0-or-later
// A text field in its own process for the paste tests: another X client, so the clipboard really
// crosses the X server. Talks line by line on stdout ("WINDOW <id>", "FOCUS", "TEXT <text>",
// "BLUR", "CLICK", "COPIED" or "COPY REFUSED") and takes commands on stdin ("COPY <text>", "CLEAR",
// "QUIT"); texts are percent-encoded.
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QUrl>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
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

// A user's copy is stamped with the time of the key press that asked for it. Qt stamps a claim
// with the last X event it saw, which for an idle field may be older than the current owner's
// claim, and the server ignores such a claim. A change to a property of our own window brings an
// event with the server's time now; the copy is made once Qt has seen it.
class FreshTimeCopier final : public QAbstractNativeEventFilter
{
public:
    explicit FreshTimeCopier(xcb_window_t window) : m_window(window)
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        m_connection = x11->connection();
        const QByteArray name("PARLOVOX_TEST_TIME");
        const auto cookie = xcb_intern_atom(m_connection, false, name.size(), name.constData());
        if (auto *reply = xcb_intern_atom_reply(m_connection, cookie, nullptr)) {
            m_atom = reply->atom;
            std::free(reply);
        }
        qApp->installNativeEventFilter(this);
    }

    void copy(const QString &text)
    {
        m_pending.append(text);
        xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, m_atom, XCB_ATOM_STRING,
                            8, 0, nullptr);
        xcb_flush(m_connection);
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->window == m_window && notify->atom == m_atom && !m_pending.isEmpty()) {
            // Queued, so Qt has taken the event's time before the claim is made.
            QMetaObject::invokeMethod(
                qApp,
                [text = m_pending.takeFirst()] {
                    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
                    say(QGuiApplication::clipboard()->ownsClipboard() ? "COPIED" : "COPY REFUSED");
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
    QStringList m_pending;
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

    std::optional<FreshTimeCopier> copier;
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
                copier->copy(QUrl::fromPercentEncoding(line.mid(5)));
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
    copier.emplace(static_cast<xcb_window_t>(field.winId()));
    say("WINDOW " + QByteArray::number(static_cast<qulonglong>(field.winId())));
    return QApplication::exec();
}
