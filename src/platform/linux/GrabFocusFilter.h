// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>

namespace platform::linux_impl {

// A keyboard grab does not move the focus: while it lasts the grabbing client gets the keys, and
// the focused window has them back when it ends. X still tells the focused window at the grab's
// start (a focus-out in grab mode), and Qt takes that for a loss of activation, so a window of
// ours that goes when it loses the focus would go at every press of a hot key, ours or another
// program's, and a click into it during the grab would give no widget the focus. Those
// focus-outs are dropped before Qt sees them. A real move of the focus during a grab is reported
// in another mode and still reaches Qt. Installed on the application while it exists.
class GrabFocusFilter final : public QAbstractNativeEventFilter
{
public:
    GrabFocusFilter();
    ~GrabFocusFilter() override;
    GrabFocusFilter(const GrabFocusFilter &) = delete;
    GrabFocusFilter &operator=(const GrabFocusFilter &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
};

} // namespace platform::linux_impl
