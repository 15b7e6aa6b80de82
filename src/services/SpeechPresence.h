// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Whether recorded samples (16 kHz mono 16-bit) hold anything worth sending:
// Whisper-class models invent whole sentences for silence, so a quiet or very
// short recording is never sent.
namespace SpeechPresence {

constexpr int kShortestClipMs = 500;

bool holdsSpeech(const QByteArray &pcm);

} // namespace SpeechPresence
