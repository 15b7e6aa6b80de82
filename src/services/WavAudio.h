// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// WAV files in memory. Dictation keeps its audio as 16 kHz mono signed 16-bit
// samples; engines take them wrapped in a plain PCM WAV header.
namespace WavAudio {

// The samples (16 kHz mono 16-bit little-endian) as a WAV file.
QByteArray fromPcm(const QByteArray &pcm);
// A PCM or float WAV file of any rate and channels as 16 kHz mono 16-bit
// samples; empty when the bytes are no such file.
QByteArray toPcm(const QByteArray &wav);

} // namespace WavAudio
