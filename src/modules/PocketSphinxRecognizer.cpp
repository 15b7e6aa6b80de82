// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/PocketSphinxRecognizer.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <memory>

std::unique_ptr<PocketSphinxRecognizer> PocketSphinxRecognizer::load(const SpeechModel &model)
{
    // The program writes no log; PocketSphinx would fill standard error.
    err_set_logfp(nullptr);
    const QByteArray hmm = model.acousticModel.toLocal8Bit();
    const QByteArray lm = model.languageModel.toLocal8Bit();
    const QByteArray dict = model.dictionary.toLocal8Bit();
    cmd_ln_t *config = model.grammar.isEmpty()
        ? cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-lm", lm.constData(), "-dict",
                      dict.constData(), "-logfn", "/dev/null", nullptr)
        : cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-dict", dict.constData(), "-logfn",
                      "/dev/null", nullptr);
    if (!config)
        return nullptr;
    ps_decoder_t *decoder = ps_init(config);
    cmd_ln_free_r(config);
    if (!decoder)
        return nullptr;
    std::unique_ptr<PocketSphinxRecognizer> recognizer(new PocketSphinxRecognizer(decoder));
    if (!model.grammar.isEmpty()) {
        const QByteArray grammar = model.grammar.toUtf8();
        if (ps_set_jsgf_string(decoder, "grammar", grammar.constData()) != 0 || ps_set_search(decoder, "grammar") != 0)
            return nullptr;
    }
    return recognizer;
}

PocketSphinxRecognizer::PocketSphinxRecognizer(ps_decoder_s *decoder)
    : m_decoder(decoder)
{
}

PocketSphinxRecognizer::~PocketSphinxRecognizer()
{
    ps_free(m_decoder);
}

bool PocketSphinxRecognizer::startUtterance()
{
    return ps_start_utt(m_decoder) == 0;
}

bool PocketSphinxRecognizer::process(const QByteArray &pcm, bool whole)
{
    const auto *samples = reinterpret_cast<const int16 *>(pcm.constData());
    return ps_process_raw(m_decoder, samples, size_t(pcm.size() / 2), FALSE, whole ? TRUE : FALSE) >= 0;
}

bool PocketSphinxRecognizer::inSpeech() const
{
    return ps_get_in_speech(m_decoder);
}

void PocketSphinxRecognizer::endUtterance()
{
    ps_end_utt(m_decoder);
}

QString PocketSphinxRecognizer::hypothesis() const
{
    const char *text = ps_get_hyp(m_decoder, nullptr);
    return text ? QString::fromUtf8(text).simplified() : QString();
}
