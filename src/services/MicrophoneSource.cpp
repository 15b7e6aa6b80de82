// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/MicrophoneSource.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>

MicrophoneSource::MicrophoneSource(QObject *parent)
    : AudioSource(parent)
{
}

MicrophoneSource::~MicrophoneSource()
{
    stop();
}

bool MicrophoneSource::isAvailable() const
{
    return !QMediaDevices::defaultAudioInput().isNull();
}

Result<> MicrophoneSource::start()
{
    if (m_input)
        return {};
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return Result<>::failure(QStringLiteral("No microphone was found."));
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    // Many devices take only their own rate, channels or float samples.
    if (!device.isFormatSupported(format))
        format = device.preferredFormat();
    m_converter = PcmConverter(format);
    if (!m_converter.isValid()) {
        return Result<>::failure(
            QStringLiteral("The microphone \u201c%1\u201d offers no sound format dictation can use.")
                .arg(device.description()));
    }

    m_input = new QAudioSource(device, format, this);
    // About 1024 frames at 16 kHz per block, as the recogniser is fed.
    m_input->setBufferSize(format.bytesForDuration(64000));
    m_stream = m_input->start();
    if (!m_stream || m_input->error() != QAudio::NoError) {
        stop();
        return Result<>::failure(
            QStringLiteral("The microphone \u201c%1\u201d could not be opened.").arg(device.description()));
    }
    connect(m_stream, &QIODevice::readyRead, this, [this] {
        const QByteArray block = m_converter.convert(m_stream->readAll());
        if (!block.isEmpty())
            Q_EMIT samples(block);
    });
    connect(m_input, &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_input->error() != QAudio::NoError)
            Q_EMIT failed(QStringLiteral("The microphone stopped delivering sound."));
    });
    return {};
}

void MicrophoneSource::stop()
{
    if (!m_input)
        return;
    m_input->disconnect(this);
    if (m_stream)
        m_stream->disconnect(this);
    m_input->stop();
    m_input->deleteLater();
    m_input = nullptr;
}
