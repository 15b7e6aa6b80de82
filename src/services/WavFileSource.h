// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/AudioSource.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

// Plays a PCM or float WAV file (any rate and channels, converted to what the
// recogniser takes) in real time as if it were a microphone, then goes on with silence as a quiet room would. Used when
// TARNWICK_DICTATION_INPUT names a file, and by the tests.
class WavFileSource : public AudioSource
{
    Q_OBJECT

public:
    explicit WavFileSource(QString path, QObject *parent = nullptr);

    // The file's sound as 16 kHz mono 16-bit samples, or empty when it is no such WAV file.
    static QByteArray readPcm(const QString &path);

    bool isAvailable() const override;
    Result<> start() override;
    void stop() override;
    bool isActive() const override { return m_timer.isActive(); }

private:
    void deliver();

    QString m_path;
    QByteArray m_pcm;
    qint64 m_sentBytes = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
