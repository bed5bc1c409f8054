// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;

namespace platform {
struct Event;
}

namespace GlobalShortcuts {

class LocalEventMonitor;
struct RecorderAlert;

// The field in which the user presses a key combination to make it the shortcut of a name.
// Focus starts recording: hot-key dispatch of the whole module pauses, the keyboard is grabbed
// (so a combination another program holds still reaches us) and a local event monitor sees keys
// and clicks before the window does. The pressed combination is checked in a fixed order and,
// when accepted, stored under the name, which registers its hot key. Losing focus, the window
// or its activation ends recording. Needs an installed ModuleContext. Main thread only.
class RecorderField final : public QLineEdit
{
    Q_OBJECT

public:
    using OnChange = std::function<void(const std::optional<Shortcut> &)>;

    static constexpr int minimumWidth = 130;

    explicit RecorderField(const Name &name, OnChange onChange = {}, QWidget *parent = nullptr);
    ~RecorderField() override;

    const Name &shortcutName() const { return m_shortcutName; }
    void setShortcutName(const Name &name);

    bool isRecording() const { return m_eventMonitor != nullptr; }
    // Whether focus may start recording now; false in the turn in which the window was shown
    // or activated, so the window's first focus does not start a recording by itself.
    bool canBecomeKeyView() const { return m_canBecomeKey; }
    // The button that clears the field; shown only while the field shows a shortcut.
    QAction *clearAction() const { return m_clearAction; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startRecording();
    void endRecording();
    void refreshText();
    void updateClearButton();
    void textWasEdited();
    void watchWindow();
    void deferKeyViewEligibility();
    void blur();
    // Shows a refusal (or a question) with recording suspended but hot keys still paused, then
    // resumes recording; answers the button index.
    int presentAlert(const RecorderAlert &alert);
    void resumeAfterAlert();
    void setRecorderActive(bool active);

    // The monitor callback and its validation steps (RecorderFieldEvents.cpp).
    std::optional<platform::Event> handleRecorderEvent(const platform::Event &event);
    bool isOutside(const platform::Event &mouseEvent) const;
    bool conflictsWithMenuItem(const Shortcut &shortcut);
    bool isDisallowedByPlatform(const Shortcut &shortcut);
    bool mayUseDespiteSystem(const Shortcut &shortcut);
    void accept(const Shortcut &shortcut);

    Name m_shortcutName;
    OnChange m_onChange;
    bool m_canBecomeKey = false;
    bool m_inAlert = false;
    // The alert has gone but its window is not active again yet: the focus its activation
    // brings back is the recording's resumption, not the window's first focus.
    bool m_resumeOnActivation = false;
    std::unique_ptr<LocalEventMonitor> m_eventMonitor;
    QAction *m_clearAction = nullptr;
    QPointer<QWidget> m_watchedWindow;
};

} // namespace GlobalShortcuts
