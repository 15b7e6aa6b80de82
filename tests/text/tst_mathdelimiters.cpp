#include "text/GrowingText.h"
#include "text/InlineMarkdown.h"
#include "text/InlineMarkdownReader.h"
#include "text/MathDelimiters.h"

#include <QTest>

#include <algorithm>

class TestMathDelimiters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
    void formulaSplitAcrossFragmentsShowsSourceUntilClosed();
    void cutsFallOutsideFormulas();
};

namespace {

// Formulas as {source} (inline) or {{source}} (display), code as [c:text], the rest as it stands.
QString describe(const QList<InlineRun> &runs)
{
    QString out;
    for (const InlineRun &run : runs) {
        if (run.styles & InlineStyle::Math) {
            const bool display = run.styles & InlineStyle::DisplayMath;
            for (qsizetype i = 0; i < run.text.size(); ++i)
                out += (display ? QStringLiteral("{{") : QStringLiteral("{")) + run.link
                    + (display ? QStringLiteral("}}") : QStringLiteral("}"));
        } else if (run.styles & InlineStyle::Code) {
            out += QStringLiteral("[c:") + run.text + QLatin1Char(']');
        } else {
            out += run.text;
        }
    }
    return out;
}

} // namespace

void TestMathDelimiters::reads_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("expected");
    // Prices and shell variables stay text.
    QTest::newRow("two prices") << QStringLiteral("$5 and $10") << QStringLiteral("$5 and $10");
    QTest::newRow("prices with cents") << QStringLiteral("costs $3.50, or $4 total")
                                       << QStringLiteral("costs $3.50, or $4 total");
    QTest::newRow("price then closing-looking dollar")
        << QStringLiteral("pay $5 now, x$ later") << QStringLiteral("pay $5 now, x$ later");
    QTest::newRow("shell variables") << QStringLiteral("set $PATH and $HOME first")
                                     << QStringLiteral("set $PATH and $HOME first");
    QTest::newRow("dollar then space") << QStringLiteral("a $ b$ c") << QStringLiteral("a $ b$ c");
    QTest::newRow("closer after a space") << QStringLiteral("$a $ b") << QStringLiteral("$a $ b");
    QTest::newRow("closer before a digit") << QStringLiteral("$a$5") << QStringLiteral("$a$5");
    QTest::newRow("escaped dollars") << QStringLiteral("\\$x\\$ and \\$5") << QStringLiteral("$x$ and $5");
    QTest::newRow("escaped dollar inside a formula") << QStringLiteral("$a\\$b$") << QStringLiteral("{$a\\$b$}");
    // Code wins.
    QTest::newRow("code spans with dollars")
        << QStringLiteral("`echo $HOME` and `$x$`") << QStringLiteral("[c:echo $HOME] and [c:$x$]");
    QTest::newRow("backtick ends a would-be formula") << QStringLiteral("$a `b$` c") << QStringLiteral("$a [c:b$] c");
    // Formulas.
    QTest::newRow("inline dollars") << QStringLiteral("so $E = mc^2$.") << QStringLiteral("so {$E = mc^2$}.");
    QTest::newRow("inline parentheses") << QStringLiteral("\\(a+b\\) ok") << QStringLiteral("{\\(a+b\\)} ok");
    QTest::newRow("display dollars") << QStringLiteral("$$\\sum_{i=1}^n i$$")
                                     << QStringLiteral("{{$$\\sum_{i=1}^n i$$}}");
    QTest::newRow("display brackets over lines")
        << QStringLiteral("see\n\\[\nx^2\n\\]\nend") << QStringLiteral("see\n{{\\[\nx^2\n\\]}}\nend");
    QTest::newRow("two formulas") << QStringLiteral("$a$ and $b$") << QStringLiteral("{$a$} and {$b$}");
    QTest::newRow("same formula twice") << QStringLiteral("$a$$a$") << QStringLiteral("{$a$}{$a$}");
    QTest::newRow("nested braces") << QStringLiteral("$\\frac{a}{\\sqrt{b_{i}}}$")
                                   << QStringLiteral("{$\\frac{a}{\\sqrt{b_{i}}}$}");
    QTest::newRow("dollar inside braces")
        << QStringLiteral("$\\text{costs $5}$ x") << QStringLiteral("{$\\text{costs $5}$} x");
    QTest::newRow("markers inside a formula stay TeX")
        << QStringLiteral("$a*b*c_1_2$ and *em*") << QStringLiteral("{$a*b*c_1_2$} and em");
    QTest::newRow("no formula across a blank line") << QStringLiteral("$a\n\nb$") << QStringLiteral("$a\n\nb$");
    QTest::newRow("empty formula") << QStringLiteral("$$ $$ and \\(\\)") << QStringLiteral("$$ $$ and ()");
    QTest::newRow("unclosed") << QStringLiteral("let $x = 1") << QStringLiteral("let $x = 1");
}

void TestMathDelimiters::reads()
{
    QFETCH(QString, markdown);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseInlineMarkdown(markdown)), expected);
}

void TestMathDelimiters::formulaSplitAcrossFragmentsShowsSourceUntilClosed()
{
    const QString answer = QStringLiteral("Let $\\frac{a}{b}$ be,\n$$\\int_0^1 f(x)\\,dx$$\n\nand \\(x_1\\) $5 end");
    InlineMarkdownReader reader;
    for (const QString &prefix : prefixesOf(answer, 3)) {
        const QList<InlineRun> runs = reader.update(prefix);
        QCOMPARE(runs, parseInlineMarkdown(prefix));
        // Until its closer arrives, a formula is its own source, as text.
        if (prefix.size() < answer.indexOf(QStringLiteral("b}$")) + 3)
            QVERIFY(std::none_of(runs.cbegin(), runs.cend(), [](const InlineRun &run) { return bool(run.styles); }));
    }
    QCOMPARE(describe(reader.runs()),
             QStringLiteral("Let {$\\frac{a}{b}$} be,\n{{$$\\int_0^1 f(x)\\,dx$$}}\n\nand "
                            "{\\(x_1\\)} $5 end"));
    QCOMPARE(describe(reader.update(answer.left(answer.indexOf(QStringLiteral("b}$")) + 2))),
             QStringLiteral("Let $\\frac{a}{b}"));
}

void TestMathDelimiters::cutsFallOutsideFormulas()
{
    const QString text = QStringLiteral("ab $x + y$ cd");
    QCOMPARE(mathSafeCut(text, 0, 6), text.indexOf(QStringLiteral(" cd")));
    QCOMPARE(mathSafeCut(text, 0, 11), 11);
    // An opener still waiting for its closer keeps the rest together.
    QCOMPARE(mathSafeCut(QStringLiteral("ab $x + y"), 0, 6), 9);
    QCOMPARE(mathSafeCut(QStringLiteral("pay $5 now"), 0, 7), 7);
}

QTEST_GUILESS_MAIN(TestMathDelimiters)
#include "tst_mathdelimiters.moc"
