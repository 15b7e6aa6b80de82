// SPDX-License-Identifier: GPL-3.0-or-later
// MathJax in the answer: engine cold start, time per formula once warm, the
// memory the engine holds and gives back, drawing, and the per-fragment cost
// of streaming an answer full of formulas through the panel's content view.
// Beside each wall-clock time, the processor time of the thread doing the
// work: on a busy machine the wall clock counts waiting for a processor too.
//   QT_QPA_PLATFORM=offscreen bench_math
#include "BenchClock.h"
#include "content/MessageContent.h"
#include "math/MathImageCache.h"
#include "math/MathTypesetter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTextStream>

#include <malloc.h>
#include <time.h>

#include <algorithm>

namespace {

QTextStream out(stdout);

// Fractions, sums, integrals, matrices, Greek, sub- and superscripts.
const char *const kCorpus[] = {
    R"(\frac{a}{b})",
    R"(\frac{1}{1+\frac{1}{x}})",
    R"(\dfrac{\partial f}{\partial x})",
    R"(\tfrac{3}{4})",
    R"(\binom{n}{k})",
    R"(\sum_{i=1}^{n} i = \frac{n(n+1)}{2})",
    R"(\prod_{p \text{ prime}} \frac{1}{1-p^{-s}})",
    R"(\sum_{k=0}^{\infty} \frac{x^k}{k!})",
    R"(\lim_{n\to\infty} \left(1+\frac{1}{n}\right)^n = e)",
    R"(\int_0^1 x^2\,dx = \frac{1}{3})",
    R"(\int_{-\infty}^{\infty} e^{-x^2}\,dx = \sqrt{\pi})",
    R"(\oint_C \mathbf{F}\cdot d\mathbf{r})",
    R"(\iint_D f(x,y)\,dA)",
    R"(\int_a^b f'(x)\,dx = f(b)-f(a))",
    R"(\begin{pmatrix} a & b \\ c & d \end{pmatrix})",
    R"(\begin{bmatrix} 1 & 0 & 0 \\ 0 & 1 & 0 \\ 0 & 0 & 1 \end{bmatrix})",
    R"(\det\begin{vmatrix} a & b \\ c & d \end{vmatrix} = ad-bc)",
    R"(A^{-1} = \frac{1}{\det A}\operatorname{adj}A)",
    R"(\begin{cases} x & x \ge 0 \\ -x & x < 0 \end{cases})",
    R"(\alpha + \beta = \gamma)",
    R"(\Delta \Omega \Sigma \Phi \Psi)",
    R"(\epsilon, \varepsilon, \theta, \vartheta)",
    R"(\lambda_{\max})",
    R"(\sigma^2 = \frac{1}{N}\sum_{i=1}^N (x_i-\mu)^2)",
    R"(x^2 + y^2 = r^2)",
    R"(a_{ij} b_{jk})",
    R"(e^{i\pi} + 1 = 0)",
    R"(x_{n+1} = x_n - \frac{f(x_n)}{f'(x_n)})",
    R"(2^{2^{n}})",
    R"(\sqrt{x^2+1})",
    R"(\sqrt[3]{27} = 3)",
    R"(E = mc^2)",
    R"(F = ma)",
    R"(\nabla \cdot \mathbf{E} = \frac{\rho}{\varepsilon_0})",
    R"(\nabla \times \mathbf{B} = \mu_0 \mathbf{J})",
    R"(i\hbar\frac{\partial}{\partial t}\Psi = \hat H \Psi)",
    R"(P(A\mid B) = \frac{P(B\mid A)P(A)}{P(B)})",
    R"(\mathbb{E}[X] = \sum_x x\,p(x))",
    R"(O(n \log n))",
    R"(\forall \epsilon > 0\ \exists \delta > 0)",
    R"(f(x) = \begin{cases} 1 & x \in \mathbb{Q} \\ 0 & \text{otherwise} \end{cases})",
    R"(\overline{z} = a - bi)",
    R"(\vec{v} = \langle 1, 2, 3 \rangle)",
    R"(\hat{\theta}_{\text{MLE}})",
    R"(a \equiv b \pmod{n})",
    R"(\left\lfloor \frac{n}{2} \right\rfloor)",
    R"(\| x \|_2 = \sqrt{\sum_i x_i^2})",
    R"(\cos^2\theta + \sin^2\theta = 1)",
    R"(\frac{d}{dx}\ln x = \frac{1}{x})",
    R"(\mathcal{L}\{f\}(s))",
};

double percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(qMin(values.size() - 1, qsizetype(p * values.size())));
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// Milliseconds of processor time the typesetter's thread has had, from the scheduler's account.
double mathThreadCpuMillis()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly) || name.readAll().trimmed() != "MathJax")
            continue;
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            return stat.readAll().split(' ').first().toDouble() / 1e6;
    }
    return 0;
}

struct Timing
{
    double wall = 0;
    double cpu = 0; // of the typesetter's thread
};

// Times one formula from request to result.
Timing typesetOnce(MathTypesetter &typesetter, const QString &tex, bool display)
{
    QSignalSpy done(&typesetter, &MathTypesetter::typeset);
    const double cpuBefore = mathThreadCpuMillis();
    QElapsedTimer timer;
    timer.start();
    if (typesetter.result(tex, display).state == MathTypesetter::State::Pending)
        done.wait(60000);
    return {millisSince(timer), mathThreadCpuMillis() - cpuBefore};
}

QString summary(const QList<double> &values)
{
    double sum = 0;
    for (double value : values)
        sum += value;
    return QStringLiteral("mean %1, p50 %2, p90 %3, max %4 ms")
        .arg(values.isEmpty() ? 0 : sum / values.size(), 0, 'f', 1)
        .arg(percentile(values, 0.5), 0, 'f', 1)
        .arg(percentile(values, 0.9), 0, 'f', 1)
        .arg(percentile(values, 1.0), 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const double before = residentMegabytes();
    MathTypesetter &typesetter = *MathTypesetter::shared();
    qint64 loadMs = 0;
    QObject::connect(&typesetter, &MathTypesetter::engineLoaded, [&](qint64 ms) { loadMs = ms; });
    QSignalSpy warm(&typesetter, &MathTypesetter::engineWarm);

    const double cold = typesetOnce(typesetter, QStringLiteral("x"), false).wall;
    out << "engine cold start (first formula, loading included): " << cold << " ms (loading alone " << loadMs
        << " ms)\n";
    if (warm.isEmpty())
        warm.wait(60000);
    out << "warm-up formulas, run after the first one: " << (warm.isEmpty() ? -1 : warm.first().first().toLongLong())
        << " ms\n";

    QList<double> times;
    QList<double> cpuTimes;
    int failed = 0;
    for (const char *formula : kCorpus) {
        const QString tex = QString::fromUtf8(formula);
        const Timing timing = typesetOnce(typesetter, tex, false);
        times << timing.wall;
        cpuTimes << timing.cpu;
        failed += typesetter.result(tex, false).state == MathTypesetter::State::Failed ? 1 : 0;
    }
    out << "warm, " << times.size() << " formulas (" << failed << " rejected), request to result: " << summary(times)
        << " (target <= 20 ms)\n"
        << "  the typesetter's processor time per formula: " << summary(cpuTimes) << "\n";

    QList<double> draws;
    for (const char *formula : kCorpus) {
        const MathTypesetter::Result result = typesetter.result(QString::fromUtf8(formula), false);
        QElapsedTimer timer;
        timer.start();
        MathImageCache::shared().image(QString::fromUtf8(formula), result.svg,
                                       QSizeF(result.box.width * 7.6, result.box.height * 7.6), Qt::black, 2.0);
        draws << millisSince(timer);
    }
    out << "drawing an SVG to an image (2x pixels): p50 " << percentile(draws, 0.5) << " ms, max "
        << percentile(draws, 1.0) << " ms\n";

    const double loaded = residentMegabytes();
    typesetter.setIdleInterval(10);
    QSignalSpy stopped(&typesetter, &MathTypesetter::engineStopped);
    stopped.wait(10000);
    const double freed = residentMegabytes();
    malloc_trim(0);
    const double trimmed = residentMegabytes();
    out << "resident memory: before " << before << " MB, engine loaded " << loaded << " MB, engine freed " << freed
        << " MB (" << trimmed << " MB once malloc returns its free pages)\n";

    // An answer with a formula in every sentence and a display formula every
    // few, streamed in fragments of about 16 characters (the engine starts
    // again with the first formula, as it would after a minute idle).
    typesetter.setIdleInterval(60000);
    QString answer;
    for (int i = 0; i < 120; ++i) {
        answer += QStringLiteral("The term $a_{%1} = \\frac{%1}{%1+1}$ tends to $1$ while $\\sum_{k<%1} k^2$ grows; "
                                 "a price of $5 stays text. ")
                      .arg(i);
        if (i % 6 == 5)
            answer += QStringLiteral("\n$$\\int_0^{%1} x^2\\,dx = \\frac{%1^3}{3}$$\n\n").arg(i);
    }
    MessageContent content(QString(), false);
    content.resize(560, 400);
    content.setLayoutWidth(540);
    content.show();
    content.setStreaming(true);
    QList<double> fragments;
    QList<double> fragmentCpu;
    for (qsizetype end = 16; end < answer.size() + 16; end += 16) {
        const double cpuBefore = threadCpuMillis();
        QElapsedTimer timer;
        timer.start();
        content.setRaw(answer.left(end));
        QCoreApplication::processEvents(); // formulas typeset meanwhile are laid out here
        fragments << millisSince(timer);
        fragmentCpu << threadCpuMillis() - cpuBefore;
    }
    content.setStreaming(false);
    out << "streaming " << answer.size() << " characters in " << fragments.size()
        << " fragments with formulas: per fragment p50 " << percentile(fragments, 0.5) << " ms, p99 "
        << percentile(fragments, 0.99) << " ms, max " << percentile(fragments, 1.0) << " ms (target p99 <= 4 ms)\n"
        << "  the GUI thread's processor time per fragment: p50 " << percentile(fragmentCpu, 0.5) << " ms, p99 "
        << percentile(fragmentCpu, 0.99) << " ms, max " << percentile(fragmentCpu, 1.0) << " ms\n";
    return 0;
}
