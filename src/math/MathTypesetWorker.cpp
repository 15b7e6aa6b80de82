// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathTypesetWorker.h"

#include "math/MathJaxEngine.h"

#include <QElapsedTimer>

MathTypesetWorker::MathTypesetWorker() = default;

MathTypesetWorker::~MathTypesetWorker() = default;

void MathTypesetWorker::typeset(const QString &tex, bool display)
{
    if (!m_engine) {
        QElapsedTimer clock;
        clock.start();
        m_engine = std::make_unique<MathJaxEngine>();
        Q_EMIT engineLoaded(clock.elapsed());
    }
    const MathJaxEngine::Outcome outcome = m_engine->typeset(tex, display);
    Q_EMIT typesetDone(tex, display, outcome.svg, outcome.error);
}

void MathTypesetWorker::release()
{
    m_engine.reset();
}
