// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class MathJaxEngine;

// Typesets formulas one by one on the typesetter's thread, loading MathJax
// with the first one and then warming it up with a few typical formulas
// between the ones asked for; the engine goes when the worker does.
class MathTypesetWorker : public QObject
{
    Q_OBJECT

public:
    MathTypesetWorker();
    ~MathTypesetWorker() override;

public Q_SLOTS:
    void typeset(const QString &tex, bool display);
    // Frees the engine, on the thread that made it.
    void release();

Q_SIGNALS:
    void engineLoaded(qint64 milliseconds);
    // The warm-up formulas are done: the script engine has compiled MathJax's hot paths.
    void engineWarm(qint64 milliseconds);
    void typesetDone(const QString &tex, bool display, const QByteArray &svg, const QString &error);

private:
    void warmUp();

    std::unique_ptr<MathJaxEngine> m_engine;
    int m_warmUpStep = 0;
    qint64 m_warmUpNanoseconds = 0;
};
