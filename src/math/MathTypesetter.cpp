// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathTypesetter.h"

#include "math/MathTypesetWorker.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace {

// SVG text of formulas, in bytes: a few thousand typical formulas.
constexpr qsizetype kResultBudget = 8 * 1024 * 1024;
constexpr int kIdleMilliseconds = 60 * 1000;

} // namespace

MathTypesetter::MathTypesetter(QObject *parent)
    : QObject(parent)
    , m_results(kResultBudget)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleMilliseconds);
    connect(&m_idle, &QTimer::timeout, this, &MathTypesetter::stopWhenIdle);
}

MathTypesetter::~MathTypesetter()
{
    stopEngine();
}

MathTypesetter *MathTypesetter::shared()
{
    static QPointer<MathTypesetter> instance;
    if (!instance)
        instance = new MathTypesetter(QCoreApplication::instance());
    return instance;
}

QString MathTypesetter::key(const QString &tex, bool display)
{
    return (display ? QLatin1Char('D') : QLatin1Char('I')) + tex;
}

MathTypesetter::Result MathTypesetter::result(const QString &tex, bool display)
{
    const QString name = key(tex, display);
    if (const Result *known = m_results.object(name))
        return *known;
    if (m_pending.contains(name))
        return {};
    if (!m_thread) {
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("MathJax"));
        m_worker = new MathTypesetWorker;
        m_worker->moveToThread(m_thread);
        connect(m_worker, &MathTypesetWorker::typesetDone, this, &MathTypesetter::finish);
        connect(m_worker, &MathTypesetWorker::engineLoaded, this, &MathTypesetter::engineLoaded);
        connect(m_worker, &MathTypesetWorker::engineWarm, this, &MathTypesetter::engineWarm);
        m_thread->start(QThread::LowPriority);
    }
    m_pending.insert(name);
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, tex, display] { worker->typeset(tex, display); }, Qt::QueuedConnection);
    m_idle.start();
    return {};
}

void MathTypesetter::finish(const QString &tex, bool display, const QByteArray &svg, const QString &error)
{
    const QString name = key(tex, display);
    m_pending.remove(name);
    auto *result = new Result;
    result->svg = svg;
    result->box = readMathSvgBox(svg);
    result->error = error;
    result->state = error.isEmpty() && result->box.isValid() ? State::Ready : State::Failed;
    m_results.insert(name, result, qMax<qsizetype>(1, svg.size() + tex.size() * 2));
    m_idle.start();
    Q_EMIT typeset(tex, display);
}

void MathTypesetter::stopWhenIdle()
{
    if (!m_pending.isEmpty()) {
        m_idle.start();
        return;
    }
    stopEngine();
    Q_EMIT engineStopped();
}

void MathTypesetter::stopEngine()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(m_worker, &MathTypesetWorker::release, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
    m_thread = nullptr;
    m_worker = nullptr;
    m_pending.clear();
}
