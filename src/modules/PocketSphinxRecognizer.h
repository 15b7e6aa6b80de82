// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SpeechModel.h"
#include "services/SpeechRecognizer.h"

#include <memory>

struct ps_decoder_s;

// PocketSphinx with one model loaded.
class PocketSphinxRecognizer : public SpeechRecognizer
{
public:
    // Null when the model cannot be loaded.
    static std::unique_ptr<PocketSphinxRecognizer> load(const SpeechModel &model);
    ~PocketSphinxRecognizer() override;

    PocketSphinxRecognizer(const PocketSphinxRecognizer &) = delete;
    PocketSphinxRecognizer &operator=(const PocketSphinxRecognizer &) = delete;

    bool startUtterance() override;
    bool process(const QByteArray &pcm, bool whole) override;
    bool inSpeech() const override;
    void endUtterance() override;
    QString hypothesis() const override;

private:
    explicit PocketSphinxRecognizer(ps_decoder_s *decoder);

    ps_decoder_s *m_decoder;
};
