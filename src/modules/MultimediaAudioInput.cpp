// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/MultimediaAudioInput.h"

#include "modules/MultimediaAudioCapture.h"

#include <QAudioFormat>
#include <QMediaDevices>

#include <optional>

namespace {

QAudioFormat::SampleFormat qtSample(PcmFormat::Sample sample)
{
    // In the order of PcmFormat::Sample.
    static constexpr QAudioFormat::SampleFormat formats[] = {QAudioFormat::UInt8, QAudioFormat::Int16,
                                                             QAudioFormat::Int32, QAudioFormat::Float};
    return formats[int(sample)];
}

std::optional<PcmFormat> pcmFormat(const QAudioFormat &format)
{
    PcmFormat pcm{format.sampleRate(), format.channelCount(), PcmFormat::Sample::Int16};
    switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
        pcm.sample = PcmFormat::Sample::UInt8;
        break;
    case QAudioFormat::Int16:
        break;
    case QAudioFormat::Int32:
        pcm.sample = PcmFormat::Sample::Int32;
        break;
    case QAudioFormat::Float:
        pcm.sample = PcmFormat::Sample::Float;
        break;
    default:
        return std::nullopt;
    }
    if (pcm.sampleRate <= 0 || pcm.channelCount <= 0)
        return std::nullopt;
    return pcm;
}

} // namespace

bool MultimediaAudioInput::hasMicrophone() const
{
    return !QMediaDevices::defaultAudioInput().isNull();
}

Result<std::unique_ptr<AudioCapture>> MultimediaAudioInput::start(const PcmFormat &preferred, Handlers handlers) const
{
    using Failure = Result<std::unique_ptr<AudioCapture>>;
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull())
        return Failure::failure(QStringLiteral("No microphone was found."));
    QAudioFormat format;
    format.setSampleRate(preferred.sampleRate);
    format.setChannelCount(preferred.channelCount);
    format.setSampleFormat(qtSample(preferred.sample));
    // Many devices take only their own rate, channels or float samples.
    if (!device.isFormatSupported(format))
        format = device.preferredFormat();
    const std::optional<PcmFormat> pcm = pcmFormat(format);
    if (!pcm) {
        return Failure::failure(
            QStringLiteral("The microphone \u201c%1\u201d offers no sound format dictation can use.")
                .arg(device.description()));
    }
    auto capture = std::make_unique<MultimediaAudioCapture>(device, format, *pcm);
    if (!capture->start(std::move(handlers)))
        return Failure::failure(
            QStringLiteral("The microphone \u201c%1\u201d could not be opened.").arg(device.description()));
    return Result<std::unique_ptr<AudioCapture>>(std::move(capture));
}
