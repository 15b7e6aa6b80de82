// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation/Transcriber.h"
#include "services/SpeechModel.h"

#include <QFutureWatcher>

#include <optional>

// PocketSphinx over the whole recording, on a worker thread. US English only:
// the language hint is not used.
class OfflineTranscriber : public Transcriber
{
    Q_OBJECT

public:
    explicit OfflineTranscriber(SpeechModel model = SpeechModel::usEnglish(), QObject *parent = nullptr);
    ~OfflineTranscriber() override;

    void transcribe(const QByteArray &wav, const QString &language) override;
    void cancel() override;

private:
    SpeechModel m_model;
    QFutureWatcher<std::optional<QString>> m_running;
    quint64 m_run = 0;
};
