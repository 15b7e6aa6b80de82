#include "text/SyntaxColorer.h"
#include "text/SyntaxColoring.h"

#include <QRandomGenerator>
#include <QTest>

class TestSyntaxColoring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colours_data();
    void colours();
    void holdsOnLongInput_data();
    void holdsOnLongInput();
    void growingCodeGivesSameRuns_data();
    void growingCodeGivesSameRuns();
};

namespace {

// One letter per code unit: . base, k keyword, s string, c comment, n number.
QString mask(const QString &code)
{
    QString result(code.size(), QLatin1Char('.'));
    for (const SyntaxColorRun &run : syntaxColorRuns(code))
        result.replace(run.start, run.length, QString(run.length, QLatin1Char(".kscn"[int(run.color)])));
    return result;
}

const char *const kSample = R"(#include <stdio.h>
// line comment with if and 42
int main(void) { /* block
 spans */ return 0x1F + 3.14 + 2. ; }
s = "a // b" + 'it\'s' + `tick
s` + "esc \" q" + "unclosed
def f(x): pass  # 😀 "quoted" 7
const emoji = "😀😀"; let é if in_x index
/* never closed // tail
)";

} // namespace

void TestSyntaxColoring::colours_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hash line is a comment, keywords and all")
        << QStringLiteral("# if x = 1") << QStringLiteral("cccccccccn");
    QTest::newRow("preprocessor line") << QStringLiteral("#include <a>\nx") << QStringLiteral("cccccccccccc..");
    QTest::newRow("// inside a string") << QStringLiteral("s = \"a // b\" + x")
                                        << QStringLiteral("....sssccccccccc");
    QTest::newRow("digits in a comment") << QStringLiteral("x = 1 // 42 apples")
                                         << QStringLiteral("....n.cccnnccccccc");
    QTest::newRow("case-sensitive keywords") << QStringLiteral("Return NULL null")
                                             << QStringLiteral("............kkkk");
    QTest::newRow("keywords only as whole words") << QStringLiteral("index format in_x in")
                                                  << QStringLiteral("..................kk");
    QTest::newRow("keyword in a string") << QStringLiteral("\"return\" if")
                                         << QStringLiteral("ssssssss.kk");
    QTest::newRow("unclosed string") << QStringLiteral("x = \"abc") << QStringLiteral("........");
    QTest::newRow("unclosed block comment") << QStringLiteral("a /* b // c") << QStringLiteral(".......cccc");
    QTest::newRow("block comment over lines") << QStringLiteral("/* a\n if */ x") << QStringLiteral("ccccccccccc..");
    QTest::newRow("escaped quotes") << QStringLiteral(R"('it\'s' "a\"b")") << QStringLiteral("sssssss.ssssss");
    QTest::newRow("escape stops at a line break") << QStringLiteral("\"a\\\nb\" in")
                                                  << QStringLiteral(".......kk");
    QTest::newRow("backtick string over lines") << QStringLiteral("`a\nb` 1") << QStringLiteral("sssss.n");
    QTest::newRow("numbers") << QStringLiteral("a1 1.5 2. x.3 3.x") << QStringLiteral("...nnn.n....n.nn.");
    QTest::newRow("emoji offsets") << QStringLiteral("\"😀\" if 1 // 😀 2")
                                   << QStringLiteral("ssss.kk.n.ccccccn");
    QTest::newRow("letters with accents are word characters") << QStringLiteral("éif if") << QStringLiteral("....kk");
    QTest::newRow("combining marks belong to the word") << QStringLiteral("e\u0301if if\u0301 in\u200D x.in")
                                                        << QStringLiteral("...............kk");
    QTest::newRow("unpaired surrogate") << QString(QChar(0xD800)) + QStringLiteral(" if")
                                        << QStringLiteral("..kk");
    QTest::newRow("empty code") << QString() << QString();
}

void TestSyntaxColoring::colours()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(mask(code), expected);
}

void TestSyntaxColoring::holdsOnLongInput_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<int>("color");
    const QString plain(100000, QLatin1Char('a'));
    QString escapes;
    for (int i = 0; i < 50000; ++i)
        escapes += QStringLiteral("\\\"");
    QTest::newRow("100,000-character string") << QStringLiteral("x = \"") + plain + QStringLiteral("\";")
                                              << qsizetype(4) << qsizetype(100002) << int(SyntaxColor::String);
    QTest::newRow("string of 50,000 escapes") << QLatin1Char('"') + escapes + QLatin1Char('"') << qsizetype(0)
                                              << qsizetype(100002) << int(SyntaxColor::String);
    QTest::newRow("100,000-character block comment")
        << QStringLiteral("/*") + plain + QStringLiteral("**/ x") << qsizetype(0) << qsizetype(100005)
        << int(SyntaxColor::Comment);
    QTest::newRow("100,000-character single-quoted string over lines")
        << QLatin1Char('\'') + QStringLiteral("ab\n").repeated(33334) + QLatin1Char('\'') << qsizetype(0)
        << qsizetype(100004) << int(SyntaxColor::String);
    QTest::newRow("100,000 digits then a letter") << QString(100000, QLatin1Char('7')) + QLatin1Char('x')
                                                  << qsizetype(0) << qsizetype(0) << int(SyntaxColor::Base);
}

void TestSyntaxColoring::holdsOnLongInput()
{
    QFETCH(QString, code);
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    QFETCH(int, color);
    const QList<SyntaxColorRun> runs = syntaxColorRuns(code);
    // The growing colourer matches with partial matching, which may take another engine path.
    SyntaxColorer colorer;
    colorer.update(code.left(code.size() / 2));
    QCOMPARE(colorer.update(code), runs);
    if (length == 0) {
        QVERIFY(runs.isEmpty());
        return;
    }
    QVERIFY(!runs.isEmpty());
    QCOMPARE(runs.front(), (SyntaxColorRun{start, length, SyntaxColor(color)}));
}

void TestSyntaxColoring::growingCodeGivesSameRuns_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<int>("maxStep");
    QTest::newRow("sample, one code unit at a time") << QString::fromUtf8(kSample) << 1;
    QTest::newRow("a keyword growing at the very start") << QStringLiteral("in") << 1;
    QTest::newRow("a string run that a later comment cuts short")
        << QStringLiteral("a // c\ns = 'x'\u00FFt`\n/* b\n `\n/* c\n */ if") << 1;
    QTest::newRow("sample repeated, fragments of up to 9") << QString::fromUtf8(kSample).repeated(12) << 9;
}

void TestSyntaxColoring::growingCodeGivesSameRuns()
{
    QFETCH(QString, full);
    QFETCH(int, maxStep);
    QRandomGenerator random(7);
    SyntaxColorer colorer;
    QList<SyntaxColorRun> previous;
    for (qsizetype n = 0; n <= full.size(); n += 1 + random.bounded(maxStep)) {
        const QString prefix = full.left(n);
        const QList<SyntaxColorRun> runs = colorer.update(prefix);
        QCOMPARE(runs, syntaxColorRuns(prefix));
        // Runs that end before the reported change are the ones from before.
        for (qsizetype i = 0; i < previous.size() && i < runs.size() && runs.at(i).end() < colorer.changedFrom(); ++i)
            QCOMPARE(runs.at(i), previous.at(i));
        previous = runs;
    }
    const QString other = QStringLiteral("x = 1 // replaced");
    QCOMPARE(colorer.update(other), syntaxColorRuns(other));
}

QTEST_GUILESS_MAIN(TestSyntaxColoring)
#include "tst_syntaxcoloring.moc"
