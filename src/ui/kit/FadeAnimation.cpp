// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FadeAnimation.h"

#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

namespace ui {

namespace {

const QString kAnimationName = QStringLiteral("ui-fade");

QVariantAnimation *runningFade(const QWidget *widget)
{
    return widget->findChild<QVariantAnimation *>(kAnimationName, Qt::FindDirectChildrenOnly);
}

void fade(QWidget *widget, double seconds, bool in)
{
    if (QVariantAnimation *previous = runningFade(widget)) {
        previous->setObjectName(QString());
        previous->stop();
    }
    if (in)
        widget->show();
    auto *effect = new QGraphicsOpacityEffect(widget);
    effect->setOpacity(in ? 0.0 : 1.0);
    widget->setGraphicsEffect(effect); // replaces (and deletes) an earlier fade's effect

    auto *animation = new QVariantAnimation(widget);
    animation->setObjectName(kAnimationName);
    animation->setStartValue(in ? 0.0 : 1.0);
    animation->setEndValue(in ? 1.0 : 0.0);
    animation->setDuration(qRound(seconds * 1000.0));
    animation->setEasingCurve(FadeAnimation::easeOut());
    const QPointer<QGraphicsOpacityEffect> weakEffect(effect);
    QObject::connect(animation, &QVariantAnimation::valueChanged, effect,
                     [weakEffect](const QVariant &value) {
                         if (weakEffect)
                             weakEffect->setOpacity(value.toDouble());
                     });
    const QPointer<QWidget> weakWidget(widget);
    QObject::connect(animation, &QVariantAnimation::finished, widget,
                     [weakWidget, weakEffect, animation, in] {
                         // A fade that was replaced must not undo its successor's work.
                         if (!weakWidget || animation->objectName() != kAnimationName)
                             return;
                         animation->setObjectName(QString());
                         if (weakEffect && weakWidget->graphicsEffect() == weakEffect)
                             weakWidget->setGraphicsEffect(nullptr);
                         if (!in)
                             weakWidget->hide();
                     });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

QEasingCurve FadeAnimation::easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

void FadeAnimation::fadeIn(QWidget *widget, double seconds)
{
    fade(widget, seconds, true);
}

void FadeAnimation::fadeOut(QWidget *widget, double seconds)
{
    fade(widget, seconds, false);
}

bool FadeAnimation::isRunning(const QWidget *widget)
{
    return runningFade(widget) != nullptr;
}

} // namespace ui
