// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowSystem.h"

namespace testsupport {

// A desktop whose compositing manager the test starts and stops and whose active window it puts
// where it likes. Composited, with no active window and an ordinary focused window, until told
// otherwise.
class FakeWindowSystem final : public platform::WindowSystem
{
    Q_OBJECT

public:
    bool isCompositing() const override { return m_compositing; }
    std::optional<QPoint> activeWindowCenter() const override { return activeWindowAt; }
    std::optional<quint64> activeWindow() const override { return m_activeWindow; }
    PasteTarget focusedPasteTarget() const override { return pasteTarget; }

    void setCompositing(bool compositing)
    {
        if (compositing == m_compositing)
            return;
        m_compositing = compositing;
        emit compositingChanged(compositing);
    }

    void setActiveWindow(std::optional<quint64> window)
    {
        m_activeWindow = window;
        emit activeWindowChanged();
    }

    std::optional<QPoint> activeWindowAt;
    PasteTarget pasteTarget = PasteTarget::Ordinary;

private:
    std::optional<quint64> m_activeWindow;
    bool m_compositing = true;
};

} // namespace testsupport
