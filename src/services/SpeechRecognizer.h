// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// One loaded recogniser, as the speech module hands it out. Samples are
// 16 kHz mono signed 16-bit; one utterance at a time.
class SpeechRecognizer
{
public:
    virtual ~SpeechRecognizer() = default;

    virtual bool startUtterance() = 0;
    // `whole` when the samples are the entire utterance; false on failure.
    virtual bool process(const QByteArray &pcm, bool whole) = 0;
    virtual bool inSpeech() const = 0;
    virtual void endUtterance() = 0;
    // The words heard so far, spaces folded.
    virtual QString hypothesis() const = 0;
};
