// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "math/MathSvg.h"

#include <QCache>
#include <QObject>
#include <QSet>
#include <QTimer>

class MathTypesetWorker;
class QThread;

// Turns TeX into SVG off the GUI thread with MathJax. Nothing is loaded until
// the first formula comes; the engine and its thread go after a minute
// without formulas. Results are kept by source and kind (inline or display).
class MathTypesetter : public QObject
{
    Q_OBJECT

public:
    explicit MathTypesetter(QObject *parent = nullptr);
    ~MathTypesetter() override;

    // The one the views share, made on first use.
    static MathTypesetter *shared();

    enum class State { Pending, Ready, Failed };
    struct Result
    {
        State state = State::Pending;
        QByteArray svg;
        MathSvgBox box;
        QString error;
    };
    // What is known of a formula; one not known yet is queued and reported by typeset().
    Result result(const QString &tex, bool display);

    bool isEngineRunning() const { return m_thread != nullptr; }
    qsizetype pendingCount() const { return m_pending.size(); }
    void setIdleInterval(int milliseconds) { m_idle.setInterval(milliseconds); }

Q_SIGNALS:
    void typeset(const QString &tex, bool display);
    void engineLoaded(qint64 milliseconds);
    // The engine has run its warm-up formulas, taking `milliseconds` between the others.
    void engineWarm(qint64 milliseconds);
    void engineStopped();

private:
    static QString key(const QString &tex, bool display);
    void finish(const QString &tex, bool display, const QByteArray &svg, const QString &error);
    void stopWhenIdle();
    void stopEngine();

    QCache<QString, Result> m_results;
    QSet<QString> m_pending;
    QTimer m_idle;
    QThread *m_thread = nullptr;
    MathTypesetWorker *m_worker = nullptr; // lives on m_thread
};
