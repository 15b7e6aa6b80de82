// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation/DictationEngine.h"

#include <QObject>
#include <QPointer>
#include <QString>

class DictationTranscriber;
class KeyStore;
class LauncherViewModel;
class SpeechManager;
class UserDefaults;

// One dictation from the panel: the offline recogniser's live words while the
// user speaks, then the chosen engine's transcript joins the input. A failed
// engine is told and the offline words join instead; a silent recording
// sends nothing. Nothing is ever sent as a prompt: the user reads it first.
class DictationFlow : public QObject
{
    Q_OBJECT

public:
    DictationFlow(SpeechManager &speech, LauncherViewModel &vm, UserDefaults &defaults, KeyStore &keys,
                  QObject *parent = nullptr);
    ~DictationFlow() override;

    // Listening or transcribing.
    bool isBusy() const;
    bool isTranscribing() const;

    // Starts listening; stops and transcribes; or cancels a transcription.
    void toggle();
    // Drops the recording or the transcription under way; nothing joins the input.
    void cancel();

Q_SIGNALS:
    void isTranscribingChanged();
    // Something the user should read: a failure, "No speech heard", where audio goes.
    void noticeReported(const QString &notice);

private:
    void finishListening(const QString &offlineText);
    void onEngineChosen(DictationEngine engine);
    void join(const QString &text);
    void tell(const QString &notice);
    void endTranscription();

    SpeechManager &m_speech;
    LauncherViewModel &m_vm;
    UserDefaults &m_defaults;
    KeyStore &m_keys;
    QPointer<DictationTranscriber> m_transcriber;
    QString m_offlineText;
};
