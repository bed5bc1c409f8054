// SPDX-License-Identifier: GPL-3.0-or-later
// RecorderField: recording on focus, the text and its clear button, the window it lives in.
#include "RecorderField.h"

#include "GlobalShortcuts/LocalEventMonitor.h"
#include "GlobalShortcuts/Localization.h"
#include "GlobalShortcuts/ModuleContext.h"
#include "GlobalShortcuts/RecorderAlert.h"
#include "GlobalShortcuts/Storage.h"
#include "platform/Event.h"

#include <QAction>
#include <QFocusEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <utility>

namespace GlobalShortcuts {

namespace {

constexpr platform::EventMask recorderEvents =
    platform::eventMask(platform::Event::Type::leftMouseUp) |
    platform::eventMask(platform::Event::Type::rightMouseUp) |
    platform::eventMask(platform::Event::Type::keyDown);

} // namespace

RecorderField::RecorderField(const Name &name, OnChange onChange, QWidget *parent)
    : QLineEdit(parent), m_shortcutName(name), m_onChange(std::move(onChange))
{
    // Keys never type into the field: while it records, the monitor takes them all.
    setReadOnly(true);
    setPlaceholderText(localized("record_shortcut"));
    setAlignment(Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    m_clearAction = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton),
                              QLineEdit::TrailingPosition);
    connect(m_clearAction, &QAction::triggered, this, [this] {
        setText(QString());
        textWasEdited();
    });
    refreshText();
    connect(&ModuleContext::current().notifier(), &Notifier::shortcutByNameDidChange, this,
            [this](const Name &changed) {
                if (changed == m_shortcutName)
                    refreshText();
            });
    connect(&ModuleContext::current().notifier(), &Notifier::registrationRefusalDidChange, this,
            &RecorderField::refreshText);
    watchWindow();
}

RecorderField::~RecorderField()
{
    // Gone mid-recording (its window closed under it): hot keys must not stay paused.
    if (isRecording() || m_inAlert)
        setRecorderActive(false);
}

void RecorderField::setShortcutName(const Name &name)
{
    if (name == m_shortcutName)
        return;
    m_shortcutName = name;
    refreshText();
}

QSize RecorderField::sizeHint() const
{
    const QSize base = QLineEdit::sizeHint();
    // Room for the text and the clear button on either side, so centred text stays clear of it.
    const int textWidth =
        fontMetrics().horizontalAdvance(text().isEmpty() ? placeholderText() : text());
    return {qMax(minimumWidth, textWidth + 2 * 28), base.height()};
}

QSize RecorderField::minimumSizeHint() const
{
    return sizeHint();
}

void RecorderField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    const bool resuming = std::exchange(m_resumeOnActivation, false);
    if (!resuming && !m_canBecomeKey && event->reason() == Qt::ActiveWindowFocusReason) {
        // The window handed focus back on its own activation: not a request to record.
        QTimer::singleShot(0, this, [this] {
            if (!isRecording())
                clearFocus();
        });
        return;
    }
    startRecording();
}

void RecorderField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    m_resumeOnActivation = false;
    if (!m_inAlert)
        endRecording();
}

void RecorderField::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    m_resumeOnActivation = false;
    if (!m_inAlert)
        endRecording();
}

void RecorderField::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // A focused, centred line edit hides its placeholder; "press a shortcut" must stay visible.
    if (!hasFocus() || !text().isEmpty())
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignCenter, placeholderText());
}

bool RecorderField::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchWindow();
        break;
    case QEvent::ShortcutOverride:
        // While recording, a combination that one of our actions answers to must reach the
        // field (and be refused there), not trigger the action.
        if (isRecording()) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

bool RecorderField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::WindowActivate:
            if (!m_resumeOnActivation)
                deferKeyViewEligibility();
            break;
        case QEvent::WindowDeactivate:
            if (!m_inAlert) {
                endRecording();
                if (hasFocus())
                    clearFocus();
            }
            break;
        default:
            break;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void RecorderField::watchWindow()
{
    QWidget *top = window();
    if (top == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = top;
    if (top != this)
        top->installEventFilter(this);
    deferKeyViewEligibility();
}

void RecorderField::deferKeyViewEligibility()
{
    m_canBecomeKey = false;
    // Out of the focus chain for this turn, so the window's first focus lands elsewhere.
    setFocusPolicy(Qt::NoFocus);
    QTimer::singleShot(0, this, [this] {
        m_canBecomeKey = true;
        setFocusPolicy(Qt::StrongFocus);
    });
}

void RecorderField::startRecording()
{
    if (isRecording() || !isVisible())
        return;
    setPlaceholderText(localized("press_shortcut"));
    updateClearButton();
    setRecorderActive(true);
    QPointer<RecorderField> self(this);
    m_eventMonitor = std::make_unique<LocalEventMonitor>(
        recorderEvents, [self](const platform::Event &event) -> std::optional<platform::Event> {
            if (!self)
                return std::nullopt;
            return self->handleRecorderEvent(event);
        });
    m_eventMonitor->start();
    grabKeyboard();
}

void RecorderField::endRecording()
{
    m_eventMonitor.reset();
    if (QWidget::keyboardGrabber() == this)
        releaseKeyboard();
    setPlaceholderText(localized("record_shortcut"));
    updateClearButton();
    setRecorderActive(false);
}

void RecorderField::setRecorderActive(bool active)
{
    ModuleContext *context = ModuleContext::installed();
    if (!context)
        return; // the module went first, at shutdown
    context->setIsAnyRecorderActive(active);
    emit context->notifier().recorderActiveStatusDidChange(active);
}

void RecorderField::blur()
{
    m_resumeOnActivation = false;
    clearFocus();
    if (isRecording())
        endRecording();
}

void RecorderField::refreshText()
{
    const auto shortcut = getShortcut(m_shortcutName);
    QString shown = shortcut ? shortcut->description() : QString();
    // Stored all the same ("Use Anyway"), but pressing it does nothing: say so where it was set.
    if (shortcut && isRefusedByDesktop(m_shortcutName))
        shown = localized("shortcut_not_active").arg(shown);
    setText(shown);
    updateClearButton();
    updateGeometry();
}

void RecorderField::updateClearButton()
{
    m_clearAction->setVisible(!text().isEmpty());
}

void RecorderField::textWasEdited()
{
    const bool cleared = text().isEmpty();
    if (cleared) {
        setShortcut(std::nullopt, m_shortcutName);
        if (m_onChange)
            m_onChange(std::nullopt);
    }
    updateClearButton();
    // Straight back to recording, so the next combination can be pressed at once.
    if (cleared) {
        setFocus(Qt::OtherFocusReason);
        if (hasFocus())
            startRecording();
    }
}

int RecorderField::presentAlert(const RecorderAlert &alert)
{
    // The alert needs the keyboard and must not be seen by our monitor; the hot keys stay
    // paused throughout, as the recording goes on after it.
    m_eventMonitor.reset();
    if (QWidget::keyboardGrabber() == this)
        releaseKeyboard();
    m_inAlert = true;
    clearFocus();
    QPointer<RecorderField> self(this);
    const int answer = presentRecorderAlert(this, alert);
    if (!self)
        return answer;
    m_inAlert = false;
    resumeAfterAlert();
    return answer;
}

void RecorderField::resumeAfterAlert()
{
    if (window()->isActiveWindow()) {
        setFocus(Qt::OtherFocusReason);
        if (hasFocus())
            startRecording();
        else
            endRecording();
        return;
    }
    // Under a window manager the alert's window gives the activation back only after it has
    // gone, later than this. Until then the hot keys work again; the field becomes the window's
    // focus, which the activation hands it and so resumes the recording.
    endRecording();
    m_resumeOnActivation = true;
    setFocus(Qt::OtherFocusReason);
    window()->activateWindow();
}

} // namespace GlobalShortcuts
