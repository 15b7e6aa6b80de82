#pragma once

#include "services/AudioSource.h"

#include <QAudioDevice>
#include <QPointer>

class QAudioSource;
class QIODevice;

// The default audio input through Qt Multimedia, asked for 16 kHz mono
// 16-bit samples (the sound server converts).
class MicrophoneSource : public AudioSource
{
    Q_OBJECT

public:
    explicit MicrophoneSource(QObject *parent = nullptr);
    ~MicrophoneSource() override;

    bool isAvailable() const override;
    bool start() override;
    void stop() override;
    bool isActive() const override { return m_input != nullptr; }

private:
    QAudioSource *m_input = nullptr;
    QPointer<QIODevice> m_stream;
};
