// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SpeechModel.h"
#include "services/SpeechRecognizer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

// The offline recogniser on a worker thread. Every call and every result carries the
// number of the dictation run it belongs to, so the owner can drop results
// of a run it has already ended. One utterance per run: the first stretch
// of speech followed by silence gives the final result.
class SpeechDecoder : public QObject
{
    Q_OBJECT

public:
    explicit SpeechDecoder(SpeechModel model);
    ~SpeechDecoder() override;

    // The whole recording (16 kHz mono 16-bit) as one utterance, on the
    // calling thread; no value when the model cannot be loaded.
    static std::optional<QString> transcribeWhole(SpeechModel model, const QByteArray &pcm);

public Q_SLOTS:
    void begin(quint64 run);
    void feed(quint64 run, const QByteArray &pcm);
    void end(quint64 run);

Q_SIGNALS:
    void partial(quint64 run, const QString &text);
    void finalResult(quint64 run, const QString &text);
    void failed(quint64 run);

private:
    bool ensureDecoder();
    SpeechModel m_model;
    std::unique_ptr<SpeechRecognizer> m_recognizer;
    bool m_loadFailed = false;
    quint64 m_run = 0;
    bool m_inUtterance = false;
    bool m_heardSpeech = false;
    QString m_lastPartial;
};
