// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/PcmFormat.h"

// A microphone capture running in the audio module; destroying it stops it.
class AudioCapture
{
public:
    virtual ~AudioCapture() = default;
    // The layout the input delivers its blocks in.
    virtual PcmFormat format() const = 0;
};
