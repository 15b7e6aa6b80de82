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

bool MicrophoneSource::start()
{
    if (m_input)
        return true;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isNull() || !device.isFormatSupported(format))
        return false;

    m_input = new QAudioSource(device, format, this);
    // 1024 frames per block, as the recogniser is fed.
    m_input->setBufferSize(1024 * 2);
    m_stream = m_input->start();
    if (!m_stream || m_input->error() != QAudio::NoError) {
        stop();
        return false;
    }
    connect(m_stream, &QIODevice::readyRead, this, [this] {
        const QByteArray block = m_stream->readAll();
        if (!block.isEmpty())
            Q_EMIT samples(block);
    });
    connect(m_input, &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_input->error() != QAudio::NoError)
            Q_EMIT failed();
    });
    return true;
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
