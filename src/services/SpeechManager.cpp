// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechManager.h"

#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "services/MicrophoneSource.h"
#include "services/SpeechDecoder.h"
#include "services/WavFileSource.h"

#include <QThread>

namespace {

std::unique_ptr<AudioSource> defaultSource()
{
    const QString file = qEnvironmentVariable("TARNWICK_DICTATION_INPUT");
    if (!file.isEmpty())
        return std::make_unique<WavFileSource>(file);
    return std::make_unique<MicrophoneSource>();
}

} // namespace

SpeechManager::SpeechManager(QObject *parent)
    : SpeechManager(defaultSource(), SpeechModel::usEnglish(), parent)
{
}

SpeechManager::SpeechManager(std::unique_ptr<AudioSource> source, SpeechModel model, QObject *parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_recognizerAvailable(model.isInstalled())
    , m_thread(new QThread(this))
    , m_decoder(new SpeechDecoder(std::move(model)))
{
    m_decoder->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_decoder, &QObject::deleteLater);
    // Results cross to the main thread as queued copies; a run already ended is ignored.
    connect(m_decoder, &SpeechDecoder::partial, this, &SpeechManager::onPartial);
    connect(m_decoder, &SpeechDecoder::finalResult, this, &SpeechManager::onFinal);
    connect(m_decoder, &SpeechDecoder::failed, this, &SpeechManager::onFailed);
    connect(m_source.get(), &AudioSource::samples, this, &SpeechManager::record);
    connect(m_source.get(), &AudioSource::failed, this, [this](const QString &problem) {
        cleanup();
        report(problem);
    });
    m_thread->start();
}

SpeechManager::~SpeechManager()
{
    cleanup();
    m_thread->quit();
    m_thread->wait();
}

void SpeechManager::toggle(std::function<void(const QString &)> onFinish)
{
    if (m_isListening)
        stop(std::move(onFinish));
    else
        start(std::move(onFinish));
}

void SpeechManager::stop(std::function<void(const QString &)> onFinish)
{
    const QString text = m_liveTranscript;
    cleanup();
    if (onFinish)
        onFinish(text);
}

// There is no consent prompt on Linux: an input device to listen to is the
// permission. Asked at the first dictation, not at start-up, so a desktop
// without a sound server is not disturbed until the user dictates.
void SpeechManager::start(std::function<void(const QString &)> onFinish)
{
    m_authStatus = m_source->isAvailable() ? AuthStatus::Authorized : AuthStatus::Denied;
    if (m_authStatus == AuthStatus::Authorized)
        beginRecognition(std::move(onFinish));
    else
        report(QStringLiteral("No microphone was found."));
}

void SpeechManager::beginRecognition(std::function<void(const QString &)> onFinish)
{
    if (!m_recognizerAvailable) {
        report(
            QStringLiteral("Dictation needs the PocketSphinx US English model (Debian package pocketsphinx-en-us)."));
        return;
    }
    // Never a second capture on the same input: a run still capturing ends first.
    if (m_source->isActive())
        cleanup();

    const quint64 run = ++m_run;
    QMetaObject::invokeMethod(m_decoder, [decoder = m_decoder, run] { decoder->begin(run); });
    if (const Result<> started = m_source->start(); !started) {
        cleanup();
        report(started.message());
        return;
    }
    m_problem.clear();
    m_recording.clear();
    m_onFinish = std::move(onFinish);
    setListening(true);
    setLiveTranscript(QString());
}

void SpeechManager::cleanup()
{
    m_source->stop();
    const quint64 run = m_run++;
    QMetaObject::invokeMethod(m_decoder, [decoder = m_decoder, run] { decoder->end(run); });
    m_onFinish = nullptr;
    setListening(false);
}

void SpeechManager::onPartial(quint64 run, const QString &text)
{
    if (run == m_run && m_isListening)
        setLiveTranscript(text);
}

void SpeechManager::onFinal(quint64 run, const QString &text)
{
    if (run != m_run || !m_isListening)
        return;
    setLiveTranscript(text);
    stop([onFinish = m_onFinish, text](const QString &) {
        if (onFinish)
            onFinish(text);
    });
}

void SpeechManager::onFailed(quint64 run)
{
    if (run == m_run)
        cleanup();
}

void SpeechManager::report(const QString &problem)
{
    m_problem = problem;
    qCWarning(lcSpeech).noquote() << "Dictation stopped:" << problem;
    Q_EMIT problemReported(problem);
}

void SpeechManager::record(const QByteArray &pcm)
{
    if (!m_isListening)
        return;
    QMetaObject::invokeMethod(m_decoder, [decoder = m_decoder, run = m_run, pcm] { decoder->feed(run, pcm); });
    const qsizetype longest = qsizetype(m_longestRecording.count()) * AudioSource::sampleRate / 1000 * 2;
    m_recording.append(pcm.left(longest - m_recording.size()));
    if (m_recording.size() < longest)
        return;
    stop(m_onFinish);
    const qint64 minutes = std::chrono::duration_cast<std::chrono::minutes>(m_longestRecording).count();
    report(minutes >= 1 ? QStringLiteral("Dictation stopped after %1 minutes, the longest recording.").arg(minutes)
                        : QStringLiteral("Dictation stopped at the longest recording."));
}

void SpeechManager::setListening(bool listening)
{
    if (assignIfChanged(m_isListening, listening))
        Q_EMIT isListeningChanged();
}

void SpeechManager::setLiveTranscript(const QString &text)
{
    if (assignIfChanged(m_liveTranscript, text))
        Q_EMIT liveTranscriptChanged();
}
