// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/WavAudio.h"

#include "services/AudioSource.h"
#include "services/PcmConverter.h"

#include <QtEndian>

#include <algorithm>

#include <optional>

namespace {

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

// The sample layout a "fmt " chunk describes, when it is plain PCM or float.
std::optional<PcmFormat> wavFormat(const char *f, qsizetype size)
{
    constexpr quint16 pcm = 1, ieeeFloat = 3, extensible = 0xFFFE;
    quint16 tag = le16(f);
    // The extensible header names the real tag in the first bytes of its sub-format.
    if (tag == extensible && size >= 26)
        tag = le16(f + 24);
    const int bits = le16(f + 14);
    PcmFormat format{int(le32(f + 4)), le16(f + 2)};
    if (tag == pcm && bits == 8)
        format.sample = PcmFormat::Sample::UInt8;
    else if (tag == pcm && bits == 16)
        format.sample = PcmFormat::Sample::Int16;
    else if (tag == pcm && bits == 32)
        format.sample = PcmFormat::Sample::Int32;
    else if (tag == ieeeFloat && bits == 32)
        format.sample = PcmFormat::Sample::Float;
    else
        return std::nullopt;
    if (!PcmConverter(format).isValid())
        return std::nullopt;
    return format;
}

void appendLe32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLe16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

} // namespace

QByteArray WavAudio::fromPcm(const QByteArray &pcm)
{
    constexpr quint32 rate = AudioSource::sampleRate;
    const auto dataSize = quint32(pcm.size() & ~qsizetype(1));
    QByteArray wav;
    wav.reserve(44 + dataSize);
    wav.append("RIFF");
    appendLe32(wav, 36 + dataSize);
    wav.append("WAVEfmt ");
    appendLe32(wav, 16);
    appendLe16(wav, 1); // PCM
    appendLe16(wav, 1); // mono
    appendLe32(wav, rate);
    appendLe32(wav, rate * 2);
    appendLe16(wav, 2);
    appendLe16(wav, 16);
    wav.append("data");
    appendLe32(wav, dataSize);
    wav.append(pcm.constData(), dataSize);
    return wav;
}

QByteArray WavAudio::toPcm(const QByteArray &wav)
{
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return {};
    std::optional<PcmFormat> format;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const qsizetype size = le32(wav.constData() + at + 4);
        const qsizetype body = at + 8;
        if (size > wav.size() - body && id != "data")
            return {};
        if (id == "fmt " && size >= 16) {
            format = wavFormat(wav.constData() + body, size);
        } else if (id == "data") {
            if (!format)
                return {};
            // Streamed WAV files may leave the data size open; take what is there.
            PcmConverter converter(*format);
            return converter.convert(wav.mid(body, std::min<qsizetype>(size, wav.size() - body)));
        }
        at = body + size + (size & 1);
    }
    return {};
}
