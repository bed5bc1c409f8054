// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/WindowFade.h"

#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

namespace ui {

namespace {

const QString kFadeName = QStringLiteral("ui.WindowFade");
// Set on a window its owner has let go: the fade that runs to its end deletes it.
const char *const kDeleteWhenDone = "ui.WindowFade.deleteWhenDone";

QPropertyAnimation *runningFade(const QWidget *window)
{
    // A fade that has ended stays a child until its deferred deletion: it no longer counts.
    const auto fades =
        window->findChildren<QPropertyAnimation *>(kFadeName, Qt::FindDirectChildrenOnly);
    for (QPropertyAnimation *fade : fades) {
        if (fade->state() == QAbstractAnimation::Running)
            return fade;
    }
    return nullptr;
}

// Stops the running fade without its completion: a fade-out taken over must not hide the window.
void stopFade(QWidget *window)
{
    if (QPropertyAnimation *fade = runningFade(window)) {
        fade->setObjectName(QString());
        fade->disconnect(window);
        fade->stop();
    }
}

QPropertyAnimation *startFade(QWidget *window, double target, double seconds)
{
    auto *fade = new QPropertyAnimation(window, QByteArrayLiteral("windowOpacity"), window);
    fade->setObjectName(kFadeName);
    fade->setDuration(qMax(0, qRound(seconds * 1000)));
    fade->setStartValue(window->windowOpacity());
    fade->setEndValue(target);
    fade->setEasingCurve(QEasingCurve::InOutQuad);
    QPointer<QWidget> weakWindow(window);
    QObject::connect(fade, &QPropertyAnimation::finished, window, [weakWindow] {
        if (weakWindow && weakWindow->property(kDeleteWhenDone).toBool())
            weakWindow->deleteLater();
    });
    return fade;
}

} // namespace

void WindowFade::fadeIn(QWidget *window, double seconds)
{
    if (!window)
        return;
    if (window->isVisible()) {
        const QPropertyAnimation *fade = runningFade(window);
        if (fade ? fade->endValue().toDouble() >= 1.0 : window->windowOpacity() >= 1.0)
            return;
    }
    stopFade(window);
    if (seconds <= 0)
        window->setWindowOpacity(1.0);
    if (!window->isVisible()) {
        window->setWindowOpacity(seconds <= 0 ? 1.0 : 0.0);
        window->show();
        window->raise();
    }
    if (seconds > 0)
        startFade(window, 1.0, seconds)->start(QAbstractAnimation::DeleteWhenStopped);
}

void WindowFade::fadeOut(QWidget *window, double seconds)
{
    if (!window || !window->isVisible())
        return;
    stopFade(window);
    if (seconds <= 0) {
        window->hide();
        if (window->property(kDeleteWhenDone).toBool())
            window->deleteLater();
        return;
    }
    QPropertyAnimation *fade = startFade(window, 0.0, seconds);
    QPointer<QWidget> weakWindow(window);
    QObject::connect(fade, &QPropertyAnimation::finished, window, [weakWindow] {
        if (weakWindow)
            weakWindow->hide();
    });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

bool WindowFade::isFading(const QWidget *window)
{
    return window && runningFade(window);
}

void WindowFade::deleteWhenDone(QWidget *window)
{
    if (!window)
        return;
    if (runningFade(window))
        window->setProperty(kDeleteWhenDone, true);
    else
        window->deleteLater();
}

} // namespace ui
