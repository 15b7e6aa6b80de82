// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/OfflineTranscriber.h"

#include "services/SpeechDecoder.h"
#include "services/WavAudio.h"

#include <QtConcurrent>

OfflineTranscriber::OfflineTranscriber(SpeechModel model, QObject *parent)
    : Transcriber(parent)
    , m_model(std::move(model))
{
}

OfflineTranscriber::~OfflineTranscriber()
{
    cancel();
    m_running.waitForFinished();
}

void OfflineTranscriber::transcribe(const QByteArray &wav, const QString &)
{
    cancel();
    const quint64 run = m_run;
    if (!m_model.isInstalled()) {
        QMetaObject::invokeMethod(
            this,
            [this, run] {
            if (run == m_run)
                Q_EMIT failed(QStringLiteral("Offline dictation needs the PocketSphinx US English model "
                                             "(Debian package pocketsphinx-en-us)."));
            },
            Qt::QueuedConnection);
        return;
    }
    m_running.disconnect(this);
    connect(&m_running, &QFutureWatcher<std::optional<QString>>::finished, this, [this, run] {
        if (run != m_run)
            return;
        const std::optional<QString> text = m_running.result();
        if (text)
            Q_EMIT transcribed(*text);
        else
            Q_EMIT failed(QStringLiteral("The offline recogniser could not read the recording."));
    });
    m_running.setFuture(QtConcurrent::run(
        [model = m_model, wav] { return SpeechDecoder::transcribeWhole(model, WavAudio::toPcm(wav)); }));
}

void OfflineTranscriber::cancel()
{
    ++m_run;
}
