#include "text/GrowingText.h"
#include "text/InlineMarkdown.h"
#include "text/InlineMarkdownReader.h"

#include <QTest>

class TestInlineMarkdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
    void growingTextGivesSameRuns();
};

namespace {

// Plain runs as their text; styled ones as [flags:text], with s strong,
// e emphasis, c code, x strikethrough, l(target) link.
QString describe(const QList<InlineRun> &runs)
{
    QString out;
    for (const InlineRun &run : runs) {
        if (!run.styles) {
            out += run.text;
            continue;
        }
        QString flags;
        if (run.styles & InlineStyle::Strong)
            flags += QLatin1Char('s');
        if (run.styles & InlineStyle::Emphasis)
            flags += QLatin1Char('e');
        if (run.styles & InlineStyle::Code)
            flags += QLatin1Char('c');
        if (run.styles & InlineStyle::Strikethrough)
            flags += QLatin1Char('x');
        if (run.styles & InlineStyle::Link)
            flags += QStringLiteral("l(") + run.link + QLatin1Char(')');
        out += QLatin1Char('[') + flags + QLatin1Char(':') + run.text + QLatin1Char(']');
    }
    return out;
}

const char *const kSample = "# Heading stays\n- **bold** item with `code` and *em*\n> [link **x**](http://a/b_(c)) "
                            "<https://q.org>\n\n*open\n\n~~strike~~ \\*esc\\* 2*3*4 __a__b ***c** d*\n"
                            "``tick ` inside`` and `unclosed\n\n  \n\t* not a list\n";

} // namespace

void TestInlineMarkdown::reads_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("expected");
    QTest::newRow("strong and emphasis") << QStringLiteral("**bold** *em* _em_ __strong__")
                                         << QStringLiteral("[s:bold] [e:em] [e:em] [s:strong]");
    QTest::newRow("both at once") << QStringLiteral("***both***") << QStringLiteral("[se:both]");
    QTest::newRow("emphasis inside strong") << QStringLiteral("**bold *in* bold**")
                                            << QStringLiteral("[s:bold ][se:in][s: bold]");
    QTest::newRow("strong inside emphasis, no spaces") << QStringLiteral("*foo**bar**baz*")
                                                       << QStringLiteral("[e:foo][se:bar][e:baz]");
    QTest::newRow("code span keeps markers") << QStringLiteral("`**not bold**`") << QStringLiteral("[c:**not bold**]");
    QTest::newRow("double backticks around one") << QStringLiteral("``a ` b``") << QStringLiteral("[c:a ` b]");
    QTest::newRow("emphasis around code") << QStringLiteral("*see `x`*") << QStringLiteral("[e:see ][ec:x]");
    QTest::newRow("link with strong text") << QStringLiteral("[**go**](https://x.org/a_(b) \"title\")")
                                           << QStringLiteral("[sl(https://x.org/a_(b)):go]");
    QTest::newRow("autolink") << QStringLiteral("see <https://x.org/?q=1>.")
                              << QStringLiteral("see [l(https://x.org/?q=1):https://x.org/?q=1].");
    QTest::newRow("image reads as a link") << QStringLiteral("![alt](img.png)") << QStringLiteral("[l(img.png):alt]");
    QTest::newRow("no link inside a link") << QStringLiteral("[a [b](u1)](u2)") << QStringLiteral("[a [l(u1):b]](u2)");
    QTest::newRow("strikethrough") << QStringLiteral("~~gone~~ ~also~ ~~~no~~~")
                                   << QStringLiteral("[x:gone] [x:also] ~~~no~~~");
    QTest::newRow("backslash escapes") << QStringLiteral(R"(\*no\* \` \\ \a)") << QStringLiteral(R"(*no* ` \ \a)");
    QTest::newRow("escaped line break keeps the break") << QStringLiteral("a\\\nb") << QStringLiteral("a\nb");
    QTest::newRow("unmatched markers stay") << QStringLiteral("**open and *also [x] (y) `z ~~w")
                                            << QStringLiteral("**open and *also [x] (y) `z ~~w");
    QTest::newRow("spaced stars stay") << QStringLiteral("a * b * c") << QStringLiteral("a * b * c");
    QTest::newRow("underscores inside words stay") << QStringLiteral("snake_case_name 2*3*4")
                                                   << QStringLiteral("snake_case_name 2[e:3]4");
    QTest::newRow("one star left over") << QStringLiteral("**a*") << QStringLiteral("*[e:a]");
    QTest::newRow("block syntax stays literal") << QStringLiteral("# Title\n- item\n> quote\n1. first\n---")
                                                << QStringLiteral("# Title\n- item\n> quote\n1. first\n---");
    QTest::newRow("white space kept") << QStringLiteral("  a  \n   b\t c  \n\n\n d ")
                                      << QStringLiteral("  a  \n   b\t c  \n\n\n d ");
    QTest::newRow("emphasis over a line break") << QStringLiteral("*a\nb*") << QStringLiteral("[e:a\nb]");
    QTest::newRow("nothing crosses a blank line") << QStringLiteral("*a\n \nb* `c\n\nd`")
                                                  << QStringLiteral("*a\n \nb* `c\n\nd`");
    QTest::newRow("angle brackets that are no link") << QStringLiteral("a < b > c <x>")
                                                     << QStringLiteral("a < b > c <x>");
    QTest::newRow("empty text") << QString() << QString();
}

void TestInlineMarkdown::reads()
{
    QFETCH(QString, markdown);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseInlineMarkdown(markdown)), expected);
}

void TestInlineMarkdown::growingTextGivesSameRuns()
{
    const QString full = QString::fromUtf8(kSample).repeated(3);
    InlineMarkdownReader reader;
    for (const QString &prefix : prefixesOf(full, 1))
        QCOMPARE(reader.update(prefix), parseInlineMarkdown(prefix));
    QCOMPARE(reader.update(QStringLiteral("**x**")), parseInlineMarkdown(QStringLiteral("**x**")));
}

QTEST_GUILESS_MAIN(TestInlineMarkdown)
#include "tst_inlinemarkdown.moc"
