// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechDecoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

SpeechDecoder::SpeechDecoder(SpeechModel model)
    : m_model(std::move(model))
{
}

SpeechDecoder::~SpeechDecoder()
{
    if (m_decoder)
        ps_free(m_decoder);
}

// Loading the model takes a second or two, so it happens on the worker at the
// first dictation, then stays.
bool SpeechDecoder::ensureDecoder()
{
    if (m_decoder || m_loadFailed)
        return m_decoder != nullptr;
    // The program writes no log; PocketSphinx would fill standard error.
    err_set_logfp(nullptr);
    const QByteArray hmm = m_model.acousticModel.toLocal8Bit();
    const QByteArray lm = m_model.languageModel.toLocal8Bit();
    const QByteArray dict = m_model.dictionary.toLocal8Bit();
    cmd_ln_t *config = m_model.grammar.isEmpty()
        ? cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-lm", lm.constData(), "-dict",
                      dict.constData(), "-logfn", "/dev/null", nullptr)
        : cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-dict", dict.constData(), "-logfn",
                      "/dev/null", nullptr);
    if (config)
        m_decoder = ps_init(config);
    if (config)
        cmd_ln_free_r(config);
    if (m_decoder && !m_model.grammar.isEmpty()) {
        const QByteArray grammar = m_model.grammar.toUtf8();
        if (ps_set_jsgf_string(m_decoder, "grammar", grammar.constData()) != 0
            || ps_set_search(m_decoder, "grammar") != 0) {
            ps_free(m_decoder);
            m_decoder = nullptr;
        }
    }
    m_loadFailed = m_decoder == nullptr;
    return m_decoder != nullptr;
}

QString SpeechDecoder::hypothesis()
{
    const char *text = ps_get_hyp(m_decoder, nullptr);
    return text ? QString::fromUtf8(text).simplified() : QString();
}

void SpeechDecoder::begin(quint64 run)
{
    end(m_run);
    m_run = run;
    m_heardSpeech = false;
    m_lastPartial.clear();
    if (!ensureDecoder() || ps_start_utt(m_decoder) != 0) {
        Q_EMIT failed(run);
        return;
    }
    m_inUtterance = true;
}

void SpeechDecoder::feed(quint64 run, const QByteArray &pcm)
{
    if (run != m_run || !m_inUtterance)
        return;
    const auto *samples = reinterpret_cast<const int16 *>(pcm.constData());
    if (ps_process_raw(m_decoder, samples, size_t(pcm.size() / 2), FALSE, FALSE) < 0) {
        end(run);
        Q_EMIT failed(run);
        return;
    }
    const bool inSpeech = ps_get_in_speech(m_decoder);
    if (inSpeech) {
        m_heardSpeech = true;
        const QString text = hypothesis();
        if (!text.isEmpty() && text != m_lastPartial) {
            m_lastPartial = text;
            Q_EMIT partial(run, text);
        }
    } else if (m_heardSpeech) {
        // Silence after speech ends the utterance.
        ps_end_utt(m_decoder);
        m_inUtterance = false;
        Q_EMIT finalResult(run, hypothesis());
    }
}

void SpeechDecoder::end(quint64 run)
{
    if (run != m_run || !m_inUtterance)
        return;
    ps_end_utt(m_decoder);
    m_inUtterance = false;
}

std::optional<QString> SpeechDecoder::transcribeWhole(SpeechModel model, const QByteArray &pcm)
{
    SpeechDecoder decoder(std::move(model));
    if (!decoder.ensureDecoder() || ps_start_utt(decoder.m_decoder) != 0)
        return std::nullopt;
    const auto *samples = reinterpret_cast<const int16 *>(pcm.constData());
    const bool processed = ps_process_raw(decoder.m_decoder, samples, size_t(pcm.size() / 2), FALSE, TRUE) >= 0;
    ps_end_utt(decoder.m_decoder);
    if (!processed)
        return std::nullopt;
    return decoder.hypothesis();
}
