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

bool MicrophoneSource::start()
{
    if (m_capture)
        return true;
    const AudioInput *input = audioInput();
    if (!input) {
        m_problem = QStringLiteral("No microphone was found.");
        return false;
    }
    AudioInput::Handlers handlers{
        [this](const QByteArray &block) {
        const QByteArray pcm = m_converter.convert(block);
        if (!pcm.isEmpty())
            Q_EMIT samples(pcm);
        },
        [this] {
        m_problem = QStringLiteral("The microphone stopped delivering sound.");
        Q_EMIT failed();
    },
        };
    Result<std::unique_ptr<AudioCapture>> capture =
        input->start({sampleRate, 1, PcmFormat::Sample::Int16}, std::move(handlers));
    if (!capture) {
        m_problem = capture.message();
        return false;
    }
    m_capture = std::move(capture).value();
    m_converter = PcmConverter(m_capture->format());
    m_problem.clear();
    return true;
}

void MicrophoneSource::stop()
{
    m_capture.reset();
}
