// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How raw audio is laid out: the rate, the channels of a frame, and each
// sample's kind, little-endian.
struct PcmFormat
{
    enum class Sample { UInt8, Int16, Int32, Float };

    int sampleRate = 0;
    int channelCount = 0;
    Sample sample = Sample::Int16;

    int bytesPerFrame() const { return channelCount * (sample == Sample::UInt8 ? 1 : sample == Sample::Int16 ? 2 : 4); }
    bool operator==(const PcmFormat &) const = default;
};
