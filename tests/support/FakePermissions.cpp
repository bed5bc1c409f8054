// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakePermissions.h"

namespace testsupport {

void FakePermissions::answerMicrophoneRequests(bool granted)
{
    microphone = granted;
    const auto waiting = std::exchange(m_pendingMicrophoneRequests, {});
    for (const auto &completion : waiting) {
        if (completion)
            completion(granted);
    }
}

} // namespace testsupport
