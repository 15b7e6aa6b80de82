// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/DictationFlow.h"

#include "core/InputJoining.h"
#include "core/LauncherViewModel.h"
#include "dictation/DictationTranscriber.h"
#include "platform/Logging.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/SpeechManager.h"
#include "services/SpeechPresence.h"
#include "services/WavAudio.h"

namespace {
QString noSpeechText()
{
    return QStringLiteral("No speech heard");
}
} // namespace

DictationFlow::DictationFlow(SpeechManager &speech, LauncherViewModel &vm, UserDefaults &defaults, KeyStore &keys,
                             QObject *parent)
    : QObject(parent)
    , m_speech(speech)
    , m_vm(vm)
    , m_defaults(defaults)
    , m_keys(keys)
{
}

DictationFlow::~DictationFlow()
{
    delete m_transcriber;
}

bool DictationFlow::isBusy() const
{
    return m_speech.isListening() || isTranscribing();
}

bool DictationFlow::isTranscribing() const
{
    return !m_transcriber.isNull();
}

void DictationFlow::toggle()
{
    if (isTranscribing()) {
        cancel();
        return;
    }
    QPointer<DictationFlow> self(this);
    // Called when the user stops, when the speaker falls silent, and at the longest recording.
    m_speech.toggle([self](const QString &offlineText) {
        if (self)
            self->finishListening(offlineText);
    });
}

void DictationFlow::cancel()
{
    if (m_speech.isListening())
        m_speech.cleanup();
    if (m_transcriber) {
        m_transcriber->cancel();
        endTranscription();
    }
}

void DictationFlow::finishListening(const QString &offlineText)
{
    const QByteArray pcm = m_speech.recording();
    if (!SpeechPresence::holdsSpeech(pcm)) {
        tell(noSpeechText());
        return;
    }
    const DictationSettings settings = DictationSettings::fromDefaults(m_defaults);
    // The live words are already the offline engine's transcript.
    if (settings.engine == DictationEngine::Offline) {
        join(offlineText);
        return;
    }
    m_offlineText = offlineText;
    m_transcriber = new DictationTranscriber(settings, m_keys, this);
    connect(m_transcriber, &DictationTranscriber::engineChosen, this, &DictationFlow::onEngineChosen);
    connect(m_transcriber, &Transcriber::transcribed, this, [this](const QString &text) {
        endTranscription();
        join(text);
    });
    connect(m_transcriber, &Transcriber::failed, this, [this](const QString &reason) {
        const QString kept = m_offlineText;
        endTranscription();
        tell(kept.isEmpty() ? reason : reason + QStringLiteral("\nThe offline transcript was used instead."));
        join(kept);
    });
    Q_EMIT isTranscribingChanged();
    EventTrace::note("dictation-transcribing");
    m_transcriber->transcribe(WavAudio::fromPcm(pcm), settings.language);
}

void DictationFlow::onEngineChosen(DictationEngine engine)
{
    if (engine == DictationEngine::Offline) {
        const QString kept = m_offlineText;
        m_transcriber->cancel();
        endTranscription();
        join(kept);
        return;
    }
    if (!sendsAudioAway(engine) || m_defaults.value(Preferences::cloudDictationNoticeShown).toBool())
        return;
    m_defaults.set(Preferences::cloudDictationNoticeShown, true);
    const QString where = DictationTranscriber::destination(engine, DictationSettings::fromDefaults(m_defaults));
    tell(QStringLiteral("Dictated audio leaves this computer: it is sent to %1 to be written "
                        "down. Choose Offline under Dictation in Settings to keep it here.")
             .arg(where));
}

void DictationFlow::join(const QString &text)
{
    if (text.trimmed().isEmpty()) {
        tell(noSpeechText());
        return;
    }
    m_vm.setInputText(inputWithTranscript(m_vm.inputText(), text.trimmed()));
    EventTrace::note("dictation-joined");
}

void DictationFlow::tell(const QString &notice)
{
    EventTrace::note("dictation-notice");
    Q_EMIT noticeReported(notice);
}

void DictationFlow::endTranscription()
{
    if (!m_transcriber)
        return;
    m_transcriber->disconnect(this);
    m_transcriber->deleteLater();
    m_transcriber = nullptr;
    m_offlineText.clear();
    Q_EMIT isTranscribingChanged();
}
