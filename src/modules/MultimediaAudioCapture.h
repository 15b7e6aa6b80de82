// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/AudioCapture.h"
#include "services/AudioInput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QPointer>

class QAudioSource;
class QIODevice;

// One running capture of a Qt Multimedia input.
class MultimediaAudioCapture : public AudioCapture
{
public:
    MultimediaAudioCapture(const QAudioDevice &device, const QAudioFormat &format, PcmFormat pcm);
    ~MultimediaAudioCapture() override;

    MultimediaAudioCapture(const MultimediaAudioCapture &) = delete;
    MultimediaAudioCapture &operator=(const MultimediaAudioCapture &) = delete;

    // False when the input cannot be opened.
    bool start(AudioInput::Handlers handlers);
    PcmFormat format() const override { return m_pcm; }

private:
    QAudioSource *m_input;
    QPointer<QIODevice> m_stream;
    PcmFormat m_pcm;
};
