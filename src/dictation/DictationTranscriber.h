// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation/DictationSettings.h"
#include "dictation/Transcriber.h"
#include "services/KeyStore.h"

#include <QFutureWatcher>
#include <QPointer>

#include <memory>

class HttpExchange;

// The engine the user's Dictation setting names, Automatic resolved afresh
// for each recording: the chat provider when it is Gemini or OpenRouter and
// has a key, else the transcription server when one answers, else offline.
// Keys are read on a worker thread: a keyring may keep a caller waiting.
class DictationTranscriber : public Transcriber
{
    Q_OBJECT

public:
    DictationTranscriber(DictationSettings settings, KeyStore &keys, QObject *parent = nullptr);
    ~DictationTranscriber() override;

    void transcribe(const QByteArray &wav, const QString &language) override;
    void cancel() override;

    // Where the audio of an engine goes, in words for the user; empty for offline.
    static QString destination(DictationEngine engine, const DictationSettings &settings);

Q_SIGNALS:
    // Just before the recording is handed to the engine.
    void engineChosen(DictationEngine engine);

private:
    struct Keys
    {
        KeyStore::Lookup gemini, openRouter, server;
    };
    void choose(const Keys &keys);
    void probeServer(const Keys &keys);
    void use(DictationEngine engine, const Keys &keys);
    std::unique_ptr<Transcriber> make(DictationEngine engine, const Keys &keys) const;

    DictationSettings m_settings;
    KeyStore &m_keys;
    QFutureWatcher<Keys> m_lookup;
    QPointer<HttpExchange> m_probe;
    std::unique_ptr<Transcriber> m_engine;
    QByteArray m_wav;
    QString m_language;
    quint64 m_run = 0;
};
