// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/FadeAnimation.h"

#include "ui/kit/TransitionEffect.h"

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

enum class End { Stay, Hide, Delete };

void fade(QWidget *widget, double seconds, FadeAnimation::Motion motion, End end)
{
    if (QVariantAnimation *previous = runningFade(widget)) {
        previous->setObjectName(QString());
        previous->stop();
    }
    const bool in = end == End::Stay;
    if (in)
        widget->show();
    auto *effect = new TransitionEffect(motion == FadeAnimation::Motion::FadeAndScale
                                            ? TransitionEffect::Kind::FadeAndScale
                                            : TransitionEffect::Kind::Fade);
    effect->setProgress(in ? 0.0 : 1.0);
    widget->setGraphicsEffect(effect); // replaces (and deletes) an earlier fade's effect

    auto *animation = new QVariantAnimation(widget);
    animation->setObjectName(kAnimationName);
    animation->setStartValue(in ? 0.0 : 1.0);
    animation->setEndValue(in ? 1.0 : 0.0);
    animation->setDuration(qRound(seconds * 1000.0));
    animation->setEasingCurve(FadeAnimation::easeOut());
    QObject::connect(animation, &QVariantAnimation::valueChanged, effect,
                     [effect](const QVariant &value) { effect->setProgress(value.toDouble()); });
    const QPointer<QWidget> weakWidget(widget);
    const QPointer<TransitionEffect> weakEffect(effect);
    QObject::connect(animation, &QVariantAnimation::finished, widget,
                     [weakWidget, weakEffect, animation, end] {
                         // A fade that was replaced must not undo its successor's work.
                         if (!weakWidget || animation->objectName() != kAnimationName)
                             return;
                         animation->setObjectName(QString());
                         if (weakEffect && weakWidget->graphicsEffect() == weakEffect)
                             weakWidget->setGraphicsEffect(nullptr);
                         if (end != End::Stay)
                             weakWidget->hide();
                         if (end == End::Delete)
                             weakWidget->deleteLater();
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

void FadeAnimation::fadeIn(QWidget *widget, double seconds, Motion motion)
{
    fade(widget, seconds, motion, End::Stay);
}

void FadeAnimation::fadeOut(QWidget *widget, double seconds, Motion motion)
{
    fade(widget, seconds, motion, End::Hide);
}

void FadeAnimation::fadeOutAndDelete(QWidget *widget, double seconds, Motion motion)
{
    fade(widget, seconds, motion, End::Delete);
}

bool FadeAnimation::isRunning(const QWidget *widget)
{
    return runningFade(widget) != nullptr;
}

} // namespace ui
