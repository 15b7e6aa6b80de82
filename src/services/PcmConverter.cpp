// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/PcmConverter.h"

#include "services/AudioSource.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

PcmConverter::PcmConverter(const PcmFormat &from)
    : m_from(from)
{
    if (from.sampleRate > 0 && from.channelCount > 0)
        m_frameBytes = from.bytesPerFrame();
}

// The frame's channels averaged, from -1 to 1.
double PcmConverter::sampleAt(const char *frame) const
{
    const int channels = m_from.channelCount;
    double sum = 0;
    for (int c = 0; c < channels; ++c) {
        switch (m_from.sample) {
        case PcmFormat::Sample::UInt8:
            sum += (quint8(frame[c]) - 128) / 128.0;
            break;
        case PcmFormat::Sample::Int16:
            sum += qFromLittleEndian<qint16>(frame + 2 * c) / 32768.0;
            break;
        case PcmFormat::Sample::Int32:
            sum += qFromLittleEndian<qint32>(frame + 4 * c) / 2147483648.0;
            break;
        case PcmFormat::Sample::Float:
            sum += qFromLittleEndian<float>(frame + 4 * c);
            break;
        }
    }
    return sum / channels;
}

QByteArray PcmConverter::convert(const QByteArray &input)
{
    if (!isValid())
        return {};
    const QByteArray data = m_partialFrame + input;
    const qsizetype frames = data.size() / m_frameBytes;
    m_partialFrame = data.mid(frames * m_frameBytes);

    // Each output sample is the average of the input it spans (a box filter),
    // which keeps speech and removes most of what would alias when going down.
    const qint64 inRate = m_from.sampleRate;
    const qint64 outRate = AudioSource::sampleRate;
    QByteArray out;
    out.reserve(qsizetype(frames * outRate / inRate + 2) * 2);
    for (qsizetype i = 0; i < frames; ++i) {
        const double value = sampleAt(data.constData() + i * m_frameBytes);
        for (qint64 left = outRate; left > 0;) {
            const qint64 take = std::min(left, inRate - m_filled);
            m_sum += value * double(take);
            m_filled += take;
            left -= take;
            if (m_filled == inRate) {
                const long level = std::lround(m_sum / double(inRate) * 32768.0);
                const qint16 sample = qint16(std::clamp(level, -32768L, 32767L));
                char bytes[2];
                qToLittleEndian(sample, bytes);
                out.append(bytes, 2);
                m_filled = 0;
                m_sum = 0;
            }
        }
    }
    return out;
}
