// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/AudioSource.h"
#include "services/PcmConverter.h"

#include <QAudioDevice>
#include <QPointer>

class QAudioSource;
class QIODevice;

// The default audio input through Qt Multimedia: 16 kHz mono 16-bit samples
// when the device takes them, else its own format, converted here.
class MicrophoneSource : public AudioSource
{
    Q_OBJECT

public:
    explicit MicrophoneSource(QObject *parent = nullptr);
    ~MicrophoneSource() override;

    bool isAvailable() const override;
    Result<> start() override;
    void stop() override;
    bool isActive() const override { return m_input != nullptr; }

private:
    QAudioSource *m_input = nullptr;
    QPointer<QIODevice> m_stream;
    PcmConverter m_converter;
};
