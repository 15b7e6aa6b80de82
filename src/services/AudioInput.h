// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "services/AudioCapture.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

// What the audio module offers: the desktop's default microphone.
class AudioInput
{
public:
    struct Handlers
    {
        std::function<void(const QByteArray &)> block;
        std::function<void()> broken;
    };

    virtual ~AudioInput() = default;
    virtual bool hasMicrophone() const = 0;
    // Captures in `preferred` when the device takes it, else in its own
    // layout; the blocks and a break-off reach the handlers on the calling
    // thread. A failure says why in words for the user.
    virtual Result<std::unique_ptr<AudioCapture>> start(const PcmFormat &preferred, Handlers handlers) const = 0;
};

#define TarnwickAudioInput_iid "org.tarnwick.AudioInput/1"
Q_DECLARE_INTERFACE(AudioInput, TarnwickAudioInput_iid)
