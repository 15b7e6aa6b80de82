// SPDX-License-Identifier: GPL-3.0-or-later
// The MathJax engine typesets formula after formula in one document: what one
// formula sets, or how it fails, must not reach the next.
#include "math/MathJaxEngine.h"

#include <QTest>

class TestMathJaxEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formulasStayApart();
};

void TestMathJaxEngine::formulasStayApart()
{
    MathJaxEngine engine;
    QVERIFY(engine.isLoaded());
    const QString fraction = QStringLiteral("\\frac{a}{b} + \\sum_{i=1}^{n} x_i");
    const MathJaxEngine::Outcome first = engine.typeset(fraction, false);
    QVERIFY(first.error.isEmpty());
    QVERIFY(first.svg.startsWith("<svg"));
    QCOMPARE(engine.typeset(fraction, false).svg, first.svg);

    // A rejected formula fails on its own, and the next one is typeset as before it.
    const MathJaxEngine::Outcome bad = engine.typeset(QStringLiteral("\\frac{a}{"), false);
    QVERIFY(bad.svg.isEmpty());
    QVERIFY(!bad.error.isEmpty());
    QCOMPARE(engine.typeset(fraction, false).svg, first.svg);
    QCOMPARE(engine.typeset(QStringLiteral("x^{2}^{3}"), false).error,
             QStringLiteral("Double exponent: use braces to clarify"));

    // Inherited attributes (colour, display style) stay with their formula.
    QVERIFY(engine.typeset(QStringLiteral("{\\color{red} x} + y"), false).svg.contains("fill=\"red\""));
    const MathJaxEngine::Outcome display = engine.typeset(fraction, true);
    QVERIFY(display.error.isEmpty());
    QVERIFY(display.svg != first.svg);
    QVERIFY(!engine.typeset(QStringLiteral("x + y"), false).svg.contains("red"));
    QCOMPARE(engine.typeset(fraction, false).svg, first.svg);
}

QTEST_GUILESS_MAIN(TestMathJaxEngine)
#include "tst_mathjaxengine.moc"
