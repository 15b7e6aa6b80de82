// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathTypesetWorker.h"

#include "math/MathJaxEngine.h"

#include <QElapsedTimer>

#include <iterator>

namespace {

// Fractions, scripts, big operators, roots, matrices, fonts and text: the
// first formulas of every kind run slower while the script engine compiles
// and MathJax fills its caches. Display ones take MathJax's other paths.
struct WarmUpFormula
{
    const char *tex;
    bool display;
};
constexpr WarmUpFormula kWarmUp[] = {
    {R"(\frac{x+1}{y^{2}})", false},
    {R"(\sum_{n=1}^{\infty} \frac{1}{n^2} = \frac{\pi^2}{6})", true},
    {R"(\int_{0}^{\pi} \sin\theta \, d\theta)", false},
    {R"(\left( \begin{matrix} 1 & x \\ y & 2 \end{matrix} \right))", true},
    {R"(\sqrt{b^2 - 4ac})", false},
    {R"(\mathbf{v} \in \mathbb{R}^n \text{ for all } i)", false},
    {R"(\lim_{x \to 0} \frac{\sin x}{x} = 1)", true},
    {R"(\begin{aligned} a &= b + c \\ d &= e \end{aligned})", true},
};

} // namespace

MathTypesetWorker::MathTypesetWorker() = default;

MathTypesetWorker::~MathTypesetWorker() = default;

void MathTypesetWorker::typeset(const QString &tex, bool display)
{
    if (!m_engine) {
        QElapsedTimer clock;
        clock.start();
        m_engine = std::make_unique<MathJaxEngine>();
        Q_EMIT engineLoaded(clock.elapsed());
        m_warmUpStep = 0;
        m_warmUpNanoseconds = 0;
        QMetaObject::invokeMethod(this, &MathTypesetWorker::warmUp, Qt::QueuedConnection);
    }
    const MathJaxEngine::Outcome outcome = m_engine->typeset(tex, display);
    Q_EMIT typesetDone(tex, display, outcome.svg, outcome.error);
}

void MathTypesetWorker::warmUp()
{
    if (!m_engine || m_warmUpStep >= int(std::size(kWarmUp)))
        return;
    // One a turn: a formula asked for meanwhile waits for one warm-up formula at most.
    QElapsedTimer clock;
    clock.start();
    const WarmUpFormula &formula = kWarmUp[m_warmUpStep++];
    m_engine->typeset(QString::fromUtf8(formula.tex), formula.display);
    m_warmUpNanoseconds += clock.nsecsElapsed();
    if (m_warmUpStep < int(std::size(kWarmUp)))
        QMetaObject::invokeMethod(this, &MathTypesetWorker::warmUp, Qt::QueuedConnection);
    else
        Q_EMIT engineWarm(m_warmUpNanoseconds / 1000000);
}

void MathTypesetWorker::release()
{
    m_engine.reset();
}
