// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SpeechModel.h"

#include <QObject>
#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class AudioSource;
class QThread;
class SpeechDecoder;

// Dictation: captures audio, lets PocketSphinx transcribe it on a worker
// thread, publishes the growing transcript and hands the finished text to
// a callback when the user stops or the speaker falls silent.
class SpeechManager : public QObject
{
    Q_OBJECT

public:
    enum class AuthStatus { NotDetermined = 0, Denied = 1, Restricted = 2, Authorized = 3 };

    // The default microphone, or the WAV file named by TARNWICK_DICTATION_INPUT.
    explicit SpeechManager(QObject *parent = nullptr);
    SpeechManager(std::unique_ptr<AudioSource> source, SpeechModel model, QObject *parent = nullptr);
    ~SpeechManager() override;

    bool isListening() const { return m_isListening; }
    QString liveTranscript() const { return m_liveTranscript; }
    // Not determined until the first dictation asks for the input; denied
    // when there is no input device.
    AuthStatus authStatus() const { return m_authStatus; }
    // Why the last dictation did not start or broke off; empty after one that started.
    QString problem() const { return m_problem; }
    // The audio of the current or last run, 16 kHz mono 16-bit.
    QByteArray recording() const { return m_recording; }

    // A run ends by itself after this long (5 minutes), as if the user stopped it.
    void setLongestRecording(std::chrono::milliseconds longest) { m_longestRecording = longest; }

    void toggle(std::function<void(const QString &)> onFinish);
    void stop(std::function<void(const QString &)> onFinish);
    void cleanup();

Q_SIGNALS:
    void isListeningChanged();
    void liveTranscriptChanged();
    // Each time dictation cannot start or its input breaks off, to be shown to the user.
    void problemReported(const QString &problem);

private:
    void start(std::function<void(const QString &)> onFinish);
    void beginRecognition(std::function<void(const QString &)> onFinish);
    void setListening(bool listening);
    void setLiveTranscript(const QString &text);
    void onPartial(quint64 run, const QString &text);
    void onFinal(quint64 run, const QString &text);
    void onFailed(quint64 run);
    void report(const QString &problem);
    void record(const QByteArray &pcm);

    std::unique_ptr<AudioSource> m_source;
    bool m_recognizerAvailable = false;
    QThread *m_thread = nullptr;
    SpeechDecoder *m_decoder = nullptr;
    std::function<void(const QString &)> m_onFinish;
    quint64 m_run = 0;
    bool m_isListening = false;
    QString m_liveTranscript;
    AuthStatus m_authStatus = AuthStatus::NotDetermined;
    QString m_problem;
    QByteArray m_recording;
    std::chrono::milliseconds m_longestRecording = std::chrono::minutes(5);
};
