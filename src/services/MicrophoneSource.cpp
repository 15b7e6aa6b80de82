// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/MicrophoneSource.h"

#include "platform/LoadableModule.h"
#include "services/AudioInput.h"

namespace {

const AudioInput *audioInput()
{
    static const AudioInput *input = LoadableModule::load<AudioInput>(QStringLiteral("tarnwick-audio"));
    return input;
}

} // namespace

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
    const AudioInput *input = audioInput();
    return input && input->hasMicrophone();
}

Result<> MicrophoneSource::start()
{
    if (m_capture)
        return {};
    const AudioInput *input = audioInput();
    if (!input)
        return Result<>::failure(QStringLiteral("No microphone was found."));
    AudioInput::Handlers handlers{
        [this](const QByteArray &block) {
        const QByteArray pcm = m_converter.convert(block);
        if (!pcm.isEmpty())
            Q_EMIT samples(pcm);
        },
        [this] { Q_EMIT failed(QStringLiteral("The microphone stopped delivering sound.")); },
        };
    Result<std::unique_ptr<AudioCapture>> capture =
        input->start({sampleRate, 1, PcmFormat::Sample::Int16}, std::move(handlers));
    if (!capture)
        return Result<>::failure(capture.message());
    m_capture = std::move(capture).value();
    m_converter = PcmConverter(m_capture->format());
    return {};
}

void MicrophoneSource::stop()
{
    m_capture.reset();
}
