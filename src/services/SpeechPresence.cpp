// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechPresence.h"

#include "services/AudioSource.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kFrameSamples = AudioSource::sampleRate / 50; // 20 ms
// Below this level (about -40 dBFS) nothing is taken for speech, however quiet the room.
constexpr double kQuietestSpeech = 330;
// Speech must stand this far above the room's own noise...
constexpr double kAboveNoise = 3.0;
// ...for at least this long in all.
constexpr int kVoicedMs = 200;

QList<double> frameLevels(const QByteArray &pcm)
{
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    QList<double> levels;
    levels.reserve(count / kFrameSamples + 1);
    for (qsizetype start = 0; start + kFrameSamples <= count; start += kFrameSamples) {
        double sum = 0;
        for (qsizetype i = start; i < start + kFrameSamples; ++i)
            sum += double(samples[i]) * samples[i];
        levels.append(std::sqrt(sum / kFrameSamples));
    }
    return levels;
}
} // namespace

bool SpeechPresence::holdsSpeech(const QByteArray &pcm)
{
    const qint64 durationMs = pcm.size() / 2 * 1000 / AudioSource::sampleRate;
    if (durationMs < kShortestClipMs)
        return false;
    QList<double> levels = frameLevels(pcm);
    QList<double> sorted = levels;
    // The quietest tenth of the recording is taken as the room's noise.
    const auto tenth = sorted.begin() + sorted.size() / 10;
    std::nth_element(sorted.begin(), tenth, sorted.end());
    const double threshold = std::max(kQuietestSpeech, *tenth * kAboveNoise);
    const auto voiced = std::count_if(levels.cbegin(), levels.cend(), [threshold](double l) { return l > threshold; });
    return voiced * 20 >= kVoicedMs;
}
