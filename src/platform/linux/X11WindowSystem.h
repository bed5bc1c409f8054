// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowSystem.h"

#include <cstdint>
#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

namespace platform::linux_impl {

class GrabFocusFilter;

// The X11 desktop's compositing manager and active window, on a connection of its own. A
// compositing manager owns the selection _NET_WM_CM_S<screen> while it runs; XFixes reports each
// change of that owner, so a compositor starting or stopping is seen at once. How the focused
// window pastes is told from the WM_CLASS of its top-level window. Without an X display (Wayland,
// offscreen) windows are taken to be composited and every window to take the usual paste. On X,
// a keyboard grab does not count as a loss of focus for our windows (GrabFocusFilter).
class X11WindowSystem final : public WindowSystem
{
    Q_OBJECT

public:
    explicit X11WindowSystem(QObject *parent = nullptr);
    ~X11WindowSystem() override;

    bool isCompositing() const override { return m_compositing; }
    std::optional<QPoint> activeWindowCenter() const override;
    bool shapeWindow(QWindow &window, const QRegion &region) override;
    PasteTarget focusedPasteTarget() const override;
    std::optional<quint64> activeWindow() const override;

private:
    bool connectToDisplay();
    void readEvents();
    // Reads every event waiting; whether one of them said the compositor selection changed hands.
    // A change of the active window is announced at once.
    bool takeOwnerChanges();
    bool compositorRunning() const;
    void updateCompositing();
    std::uint32_t internAtom(const char *name) const;
    std::uint32_t focusedWindow() const;
    PasteTarget pasteTargetOf(std::uint32_t window) const;

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint32_t m_compositorSelection = 0;
    std::uint32_t m_activeWindowAtom = 0;
    // As last announced.
    std::optional<quint64> m_activeWindow;
    std::uint8_t m_xfixesFirstEvent = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<GrabFocusFilter> m_grabFocusFilter;
    bool m_compositing = true;
};

} // namespace platform::linux_impl
