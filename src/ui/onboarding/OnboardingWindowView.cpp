// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/onboarding/OnboardingWindowView.h"

#include "ui/onboarding/OnboardingPermissionsStep.h"
#include "ui/onboarding/OnboardingTryItStep.h"

#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

namespace ui {

namespace {

constexpr int stepChangeMs = 300;

// Moves `step` from `from` to `to` while its opacity goes from `fromOpacity` to `toOpacity`.
void addSlide(QParallelAnimationGroup &group, QWidget *step, QPoint from, QPoint to,
              qreal fromOpacity, qreal toOpacity)
{
    auto *move = new QPropertyAnimation(step, "pos", &group);
    move->setStartValue(from);
    move->setEndValue(to);
    move->setDuration(stepChangeMs);
    move->setEasingCurve(QEasingCurve::InOutQuad);
    group.addAnimation(move);
    auto *effect = new QGraphicsOpacityEffect(step);
    step->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", &group);
    fade->setStartValue(fromOpacity);
    fade->setEndValue(toOpacity);
    fade->setDuration(stepChangeMs);
    fade->setEasingCurve(QEasingCurve::InOutQuad);
    group.addAnimation(fade);
}

} // namespace

OnboardingWindowView::OnboardingWindowView(AppState &appState, bool permissionsOnly,
                                           QWidget *parent)
    : QWidget(parent), m_appState(appState),
      m_permissions(new OnboardingPermissionsStep(appState, permissionsOnly, this))
{
    setFixedSize(400, 480);
    m_permissions->move(0, 0);
    connect(m_permissions, &OnboardingPermissionsStep::continueRequested, this,
            [this] { setShowTryIt(true); });
}

void OnboardingWindowView::setShowTryIt(bool show)
{
    if (show == m_showTryIt || !show)
        return;
    m_showTryIt = true;
    m_tryIt = new OnboardingTryItStep(m_appState, this);
    m_tryIt->show();
    auto *group = new QParallelAnimationGroup(this);
    addSlide(*group, m_permissions, QPoint(0, 0), QPoint(-width(), 0), 1.0, 0.0);
    addSlide(*group, m_tryIt, QPoint(width(), 0), QPoint(0, 0), 0.0, 1.0);
    connect(group, &QAbstractAnimation::finished, this, [this] {
        m_permissions->hide();
        // Effects cost a pixmap per paint; the steps stand still now.
        m_permissions->setGraphicsEffect(nullptr);
        m_tryIt->setGraphicsEffect(nullptr);
    });
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace ui
