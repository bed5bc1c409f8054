// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AudioInput.h"

namespace platform::linux_impl {

// The default microphone through Qt Multimedia (PulseAudio on Linux), recording 16-bit integer
// PCM WAV files.
class QtAudioInput final : public AudioInput
{
public:
    Creation createRecorder(const QString &filePath, const Settings &settings) override;
};

} // namespace platform::linux_impl
