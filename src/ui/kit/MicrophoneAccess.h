// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class AppState;

namespace ui {

// The microphone request of the two setup screens, the tray window's and the onboarding window's.
class MicrophoneAccess final
{
public:
    // Asks the platform for access. The answer goes into AppState; a grant also warms up the
    // recorder, so the first dictation starts without the audio input's start-up delay; granted
    // or not, the program comes back in front of the system's prompt.
    static void request(AppState &appState);
};

} // namespace ui
