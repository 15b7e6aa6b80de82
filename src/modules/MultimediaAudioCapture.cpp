// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/MultimediaAudioCapture.h"

#include <QAudioSource>

MultimediaAudioCapture::MultimediaAudioCapture(const QAudioDevice &device, const QAudioFormat &format, PcmFormat pcm)
    : m_input(new QAudioSource(device, format))
    , m_pcm(pcm)
{
    // About 1024 frames at 16 kHz per block, as the recogniser is fed.
    m_input->setBufferSize(format.bytesForDuration(64000));
}

// The input may be stopped from inside one of its own signals, so it goes
// once that has returned.
MultimediaAudioCapture::~MultimediaAudioCapture()
{
    m_input->disconnect();
    if (m_stream)
        m_stream->disconnect();
    m_input->stop();
    m_input->deleteLater();
}

bool MultimediaAudioCapture::start(AudioInput::Handlers handlers)
{
    m_stream = m_input->start();
    if (!m_stream || m_input->error() != QAudio::NoError)
        return false;
    QObject::connect(m_stream, &QIODevice::readyRead, m_input,
                     [stream = m_stream, block = std::move(handlers.block)] { block(stream->readAll()); });
    QObject::connect(m_input, &QAudioSource::stateChanged, m_input,
                     [input = m_input, broken = std::move(handlers.broken)](QAudio::State state) {
        if (state == QAudio::StoppedState && input->error() != QAudio::NoError)
            broken();
    });
    return true;
}
