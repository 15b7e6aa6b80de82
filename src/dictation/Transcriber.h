// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// One engine that turns a recording into text. transcribe() returns at once;
// exactly one of the two signals follows on the calling thread, unless
// cancel() comes first, after which none does.
class Transcriber : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // wav: a whole WAV file in memory. language: a code such as "en" or "de-AT",
    // a hint the engine may use; empty lets the engine find out.
    virtual void transcribe(const QByteArray &wav, const QString &language) = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    void transcribed(const QString &text);
    // Why there is no text, in words for the user.
    void failed(const QString &reason);
};
