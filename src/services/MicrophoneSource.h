// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/AudioCapture.h"
#include "services/AudioSource.h"
#include "services/PcmConverter.h"

#include <memory>

// The default audio input through the audio module: 16 kHz mono 16-bit
// samples when the device takes them, else its own format, converted here.
class MicrophoneSource : public AudioSource
{
    Q_OBJECT

public:
    explicit MicrophoneSource(QObject *parent = nullptr);
    ~MicrophoneSource() override;

    bool isAvailable() const override;
    Result<> start() override;
    void stop() override;
    bool isActive() const override { return m_capture != nullptr; }

private:
    std::unique_ptr<AudioCapture> m_capture;
    PcmConverter m_converter;
};
