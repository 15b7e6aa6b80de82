// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// Where dictation audio comes from: 16 kHz mono signed 16-bit little-endian
// samples, delivered on the main thread in small blocks while started.
class AudioSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    static constexpr int sampleRate = 16000;

    // Whether there is an input to listen to at all; none counts as a
    // refused permission.
    virtual bool isAvailable() const = 0;
    // Fails, saying why in words for the user, when capture cannot begin;
    // nothing is delivered then.
    virtual Result<> start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void samples(const QByteArray &pcm);
    void failed(const QString &problem); // the input broke off while capturing
};
