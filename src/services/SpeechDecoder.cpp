// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechDecoder.h"

#include "platform/LoadableModule.h"
#include "services/SpeechEngine.h"

namespace {

const SpeechEngine *speechEngine()
{
    static const SpeechEngine *engine = LoadableModule::load<SpeechEngine>(QStringLiteral("tarnwick-speech"));
    return engine;
}

} // namespace

SpeechDecoder::SpeechDecoder(SpeechModel model)
    : m_model(std::move(model))
{
}

SpeechDecoder::~SpeechDecoder() = default;

// Loading the model takes a second or two, so it happens on the worker at the
// first dictation, then stays.
bool SpeechDecoder::ensureDecoder()
{
    if (m_recognizer || m_loadFailed)
        return m_recognizer != nullptr;
    if (const SpeechEngine *engine = speechEngine())
        m_recognizer = engine->load(m_model);
    m_loadFailed = m_recognizer == nullptr;
    return m_recognizer != nullptr;
}

void SpeechDecoder::begin(quint64 run)
{
    end(m_run);
    m_run = run;
    m_heardSpeech = false;
    m_lastPartial.clear();
    if (!ensureDecoder() || !m_recognizer->startUtterance()) {
        Q_EMIT failed(run);
        return;
    }
    m_inUtterance = true;
}

void SpeechDecoder::feed(quint64 run, const QByteArray &pcm)
{
    if (run != m_run || !m_inUtterance)
        return;
    if (!m_recognizer->process(pcm, false)) {
        end(run);
        Q_EMIT failed(run);
        return;
    }
    if (m_recognizer->inSpeech()) {
        m_heardSpeech = true;
        const QString text = m_recognizer->hypothesis();
        if (!text.isEmpty() && text != m_lastPartial) {
            m_lastPartial = text;
            Q_EMIT partial(run, text);
        }
    } else if (m_heardSpeech) {
        // Silence after speech ends the utterance.
        m_recognizer->endUtterance();
        m_inUtterance = false;
        Q_EMIT finalResult(run, m_recognizer->hypothesis());
    }
}

void SpeechDecoder::end(quint64 run)
{
    if (run != m_run || !m_inUtterance)
        return;
    m_recognizer->endUtterance();
    m_inUtterance = false;
}

std::optional<QString> SpeechDecoder::transcribeWhole(SpeechModel model, const QByteArray &pcm)
{
    SpeechDecoder decoder(std::move(model));
    if (!decoder.ensureDecoder() || !decoder.m_recognizer->startUtterance())
        return std::nullopt;
    const bool processed = decoder.m_recognizer->process(pcm, true);
    decoder.m_recognizer->endUtterance();
    if (!processed)
        return std::nullopt;
    return decoder.m_recognizer->hypothesis();
}
