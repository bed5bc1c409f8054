// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The floating recording indicator as the engine sees it. The window itself lives in the user
// interface; AppState only creates it through the factory it is given and keeps it alive.
class FloatingIndicator
{
public:
    virtual ~FloatingIndicator() = default;

    // Builds the (hidden) window.
    virtual void createPanel() = 0;
    // Starts following AppState's state, level and discard flash.
    virtual void startObserving() = 0;
};
