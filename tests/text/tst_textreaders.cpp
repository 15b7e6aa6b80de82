// SPDX-License-Identifier: GPL-3.0-or-later
// The text readers under the answer views: code fences, inline and block
// Markdown, formulas and code colouring, each read whole and as it grows.
#include "text/ContentSegment.h"
#include "text/ContentSegmenter.h"
#include "text/GrowingText.h"
#include "text/InlineMarkdown.h"
#include "text/InlineMarkdownReader.h"
#include "text/MarkdownBlockReader.h"
#include "text/MathDelimiters.h"
#include "text/SyntaxColorer.h"
#include "text/SyntaxColoring.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

using Segments = QList<ContentSegment>;

ContentSegment text(const char *t)
{
    return ContentSegment::makeText(QString::fromUtf8(t));
}

ContentSegment code(const char *lang, const char *body)
{
    return ContentSegment::makeCode(QString::fromUtf8(lang), QString::fromUtf8(body));
}

const char *const kSegmentSample =
    "Intro **bold**\r\n\n```py\ndef f():\n    return 1\n```\nBetween\n```\n```\n````\nx\n"
    "```js trailing\n  ```not a fence\n~~~\nend\n```sh\necho 😀\n";

// Plain runs as their text; styled ones as [flags:text], with s strong,
// e emphasis, c code, x strikethrough, l(target) link; a formula as {source}
// (inline) or {{source}} (display) for each of its object characters.
QString describe(const QList<InlineRun> &runs)
{
    QString out;
    for (const InlineRun &run : runs) {
        if (run.styles & InlineStyle::Math) {
            const bool display = run.styles & InlineStyle::DisplayMath;
            for (qsizetype i = 0; i < run.text.size(); ++i)
                out += (display ? QStringLiteral("{{") : QStringLiteral("{")) + run.link
                    + (display ? QStringLiteral("}}") : QStringLiteral("}"));
            continue;
        }
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

const char *const kInlineSample =
    "# Heading stays\n- **bold** item with `code` and *em*\n> [link **x**](http://a/b_(c)) "
    "<https://q.org>\n\n*open\n\n~~strike~~ \\*esc\\* 2*3*4 __a__b ***c** d*\n"
    "``tick ` inside`` and `unclosed\n\n  \n\t* not a list\n";

// One line a block: its containers ("Q" a quote, "L<list>*" a bullet item,
// "L<list>.<n>" a numbered one, "[ ]"/"[x]" a task, "^" its first block),
// then what it is. Lists are numbered in order of appearance.
QStringList describeBlocks(const QList<MarkdownBlock> &blocks)
{
    QStringList lines;
    QList<int> lists;
    for (const MarkdownBlock &block : blocks) {
        QString line;
        for (const MarkdownContainer &c : block.containers) {
            if (c.kind == MarkdownContainer::Kind::Quote) {
                line += QStringLiteral("Q ");
                continue;
            }
            if (!lists.contains(c.listId))
                lists.append(c.listId);
            line += QStringLiteral("L%1").arg(lists.indexOf(c.listId) + 1);
            line += c.ordered ? QStringLiteral(".%1").arg(c.number) : QStringLiteral("*");
            if (c.task != MarkdownContainer::Task::None)
                line += c.task == MarkdownContainer::Task::Done ? QStringLiteral("[x]") : QStringLiteral("[ ]");
            line += QLatin1Char(' ');
        }
        if (block.firstInItem)
            line += QStringLiteral("^ ");
        switch (block.kind) {
        case MarkdownBlock::Kind::Paragraph:
            line += QStringLiteral("P:") + block.text;
            break;
        case MarkdownBlock::Kind::Heading:
            line += QStringLiteral("H%1:").arg(block.level) + block.text;
            break;
        case MarkdownBlock::Kind::Rule:
            line += QStringLiteral("HR");
            break;
        case MarkdownBlock::Kind::Table: {
            QString aligns;
            for (MarkdownAlign a : block.aligns)
                aligns += QStringLiteral("nlcr").at(int(a));
            QStringList rows;
            for (const QStringList &row : block.rows)
                rows.append(row.join(QLatin1Char('|')));
            line += QStringLiteral("T[%1]:").arg(aligns) + rows.join(QLatin1Char('/'));
            break;
        }
        }
        lines.append(line.replace(QLatin1Char('\n'), QStringLiteral("\\n")));
    }
    return lines;
}

// One letter per code unit: . base, k keyword, s string, c comment, n number.
QString mask(const QString &code)
{
    QString result(code.size(), QLatin1Char('.'));
    for (const SyntaxColorRun &run : syntaxColorRuns(code))
        result.replace(run.start, run.length, QString(run.length, QLatin1Char(".kscn"[int(run.color)])));
    return result;
}

const char *const kCodeSample = R"(#include <stdio.h>
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

class TestTextReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splits_data();
    void splits();
    void growingTextGivesSameSegments_data();
    void growingTextGivesSameSegments();
    void startsOverOnOtherChanges();
    void reads_data();
    void reads();
    void growingTextGivesSameRuns();
    void structure_data();
    void structure();
    void growingTextMatchesAFreshRead_data();
    void growingTextMatchesAFreshRead();
    void anyOtherChangeStartsOver();
    void formulaSplitAcrossFragmentsShowsSourceUntilClosed();
    void cutsFallOutsideFormulas();
    void colours_data();
    void colours();
    void holdsOnLongInput_data();
    void holdsOnLongInput();
    void growingCodeGivesSameRuns_data();
    void growingCodeGivesSameRuns();
};

void TestTextReaders::splits_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<Segments>("segments");
    QTest::newRow("one line") << QStringLiteral("A") << Segments{text("A")};
    QTest::newRow("empty text") << QString() << Segments{text("")};
    QTest::newRow("code between prose") << QStringLiteral("A\n```json\nB\n```\nC")
                                        << Segments{text("A"), code("json", "B"), text("C")};
    QTest::newRow("blank lines around a block")
        << QStringLiteral("A\n\n```\nB\n```\n\nC") << Segments{text("A\n"), code("", "B"), text("\nC")};
    QTest::newRow("two bare fences") << QStringLiteral("```\n```") << Segments{code("", "")};
    QTest::newRow("opening fence only") << QStringLiteral("```py") << Segments{};
    QTest::newRow("opening fence and line feed") << QStringLiteral("```py\n") << Segments{code("py", "")};
    QTest::newRow("unclosed block") << QStringLiteral("A\n```py\nB") << Segments{text("A"), code("py", "B")};
    QTest::newRow("language trimmed, blank lines kept")
        << QStringLiteral("```  js  \nB\n\nC\n```") << Segments{code("js", "B\n\nC")};
    QTest::newRow("closing fence ignores its text")
        << QStringLiteral("```js\nB\n```sh\nC") << Segments{code("js", "B"), text("C")};
    QTest::newRow("final line feed") << QStringLiteral("A\n") << Segments{text("A\n")};
    QTest::newRow("indented fence is prose") << QStringLiteral("  ```\nB") << Segments{text("  ```\nB")};
    QTest::newRow("fence inside a line, tildes")
        << QStringLiteral("a ```b\n~~~\nc") << Segments{text("a ```b\n~~~\nc")};
    QTest::newRow("four backticks") << QStringLiteral("````\nx\n```") << Segments{code("`", "x")};
    QTest::newRow("tab and wide space trimmed, line break kept")
        << QStringLiteral("```\t\u3000py\u2028\nx") << Segments{code("py\u2028", "x")};
    QTest::newRow("CRLF line ends") << QStringLiteral("A\r\n```py \r\nB\r\n```\r\nC\r")
                                    << Segments{text("A"), code("py", "B"), text("C\r")};
    QTest::newRow("lone carriage return stays") << QStringLiteral("A\rB") << Segments{text("A\rB")};
}

void TestTextReaders::splits()
{
    QFETCH(QString, input);
    QFETCH(Segments, segments);
    QCOMPARE(parseContentSegments(input), segments);
    ContentSegmenter segmenter;
    QCOMPARE(segmenter.update(input), segments);
}

void TestTextReaders::growingTextGivesSameSegments_data()
{
    QTest::addColumn<QString>("full");
    QTest::newRow("mixed sample") << QString::fromUtf8(kSegmentSample);
    QTest::newRow("fence characters at every cut") << QStringLiteral("``\n```\n````\n``` a\n`\n```\n");
    QTest::newRow("carriage returns in prose") << QStringLiteral("a\r\nb\r\n\r\n```\nc\r\n```\r\nd\re\r\n");
}

// Every prefix, as a stream delivers it one code unit at a time.
void TestTextReaders::growingTextGivesSameSegments()
{
    QFETCH(QString, full);
    ContentSegmenter segmenter;
    std::optional<ContentSegment> before;
    for (const QString &prefix : prefixesOf(full, 1)) {
        QCOMPARE(segmenter.grow(prefix), parseContentSegments(prefix));
        // Said to have grown, the last segment is prose starting with the prose before.
        const std::optional<ContentSegment> last =
            segmenter.segments().isEmpty() ? std::nullopt : std::optional(segmenter.segments().constLast());
        if (segmenter.lastGrew())
            QVERIFY(before && before->isText() && last->isText() && last->text.startsWith(before->text));
        before = last;
    }
}

void TestTextReaders::startsOverOnOtherChanges()
{
    ContentSegmenter segmenter;
    segmenter.update(QStringLiteral("A\n```py\nB\n"));
    QCOMPARE(segmenter.update(QStringLiteral("Other\n```\nx")), (Segments{text("Other"), code("", "x")}));
    QCOMPARE(segmenter.update(QStringLiteral("Oth")), Segments{text("Oth")});
}

void TestTextReaders::reads_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("expected");
    QTest::newRow("strong and emphasis") << QStringLiteral("**bold** *em* _em_ __strong__")
                                         << QStringLiteral("[s:bold] [e:em] [e:em] [s:strong]");
    QTest::newRow("both at once") << QStringLiteral("***both***") << QStringLiteral("[se:both]");
    QTest::newRow("emphasis inside strong")
        << QStringLiteral("**bold *in* bold**") << QStringLiteral("[s:bold ][se:in][s: bold]");
    QTest::newRow("strong inside emphasis, no spaces")
        << QStringLiteral("*foo**bar**baz*") << QStringLiteral("[e:foo][se:bar][e:baz]");
    QTest::newRow("code span keeps markers") << QStringLiteral("`**not bold**`") << QStringLiteral("[c:**not bold**]");
    QTest::newRow("double backticks around one") << QStringLiteral("``a ` b``") << QStringLiteral("[c:a ` b]");
    QTest::newRow("emphasis around code") << QStringLiteral("*see `x`*") << QStringLiteral("[e:see ][ec:x]");
    QTest::newRow("link with strong text")
        << QStringLiteral("[**go**](https://x.org/a_(b) \"title\")") << QStringLiteral("[sl(https://x.org/a_(b)):go]");
    QTest::newRow("autolink") << QStringLiteral("see <https://x.org/?q=1>.")
                              << QStringLiteral("see [l(https://x.org/?q=1):https://x.org/?q=1].");
    QTest::newRow("image reads as a link") << QStringLiteral("![alt](img.png)") << QStringLiteral("[l(img.png):alt]");
    QTest::newRow("no link inside a link") << QStringLiteral("[a [b](u1)](u2)") << QStringLiteral("[a [l(u1):b]](u2)");
    QTest::newRow("strikethrough") << QStringLiteral("~~gone~~ ~also~ ~~~no~~~")
                                   << QStringLiteral("[x:gone] [x:also] ~~~no~~~");
    QTest::newRow("backslash escapes") << QStringLiteral(R"(\*no\* \` \\ \a)") << QStringLiteral(R"(*no* ` \ \a)");
    QTest::newRow("escaped line break keeps the break") << QStringLiteral("a\\\nb") << QStringLiteral("a\nb");
    QTest::newRow("unmatched markers stay")
        << QStringLiteral("**open and *also [x] (y) `z ~~w") << QStringLiteral("**open and *also [x] (y) `z ~~w");
    QTest::newRow("spaced stars stay") << QStringLiteral("a * b * c") << QStringLiteral("a * b * c");
    QTest::newRow("underscores inside words stay")
        << QStringLiteral("snake_case_name 2*3*4") << QStringLiteral("snake_case_name 2[e:3]4");
    QTest::newRow("one star left over") << QStringLiteral("**a*") << QStringLiteral("*[e:a]");
    QTest::newRow("block syntax stays literal") << QStringLiteral("# Title\n- item\n> quote\n1. first\n---")
                                                << QStringLiteral("# Title\n- item\n> quote\n1. first\n---");
    QTest::newRow("white space kept") << QStringLiteral("  a  \n   b\t c  \n\n\n d ")
                                      << QStringLiteral("  a  \n   b\t c  \n\n\n d ");
    QTest::newRow("emphasis over a line break") << QStringLiteral("*a\nb*") << QStringLiteral("[e:a\nb]");
    QTest::newRow("nothing crosses a blank line")
        << QStringLiteral("*a\n \nb* `c\n\nd`") << QStringLiteral("*a\n \nb* `c\n\nd`");
    QTest::newRow("angle brackets that are no link")
        << QStringLiteral("a < b > c <x>") << QStringLiteral("a < b > c <x>");
    QTest::newRow("empty text") << QString() << QString();
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
        << QStringLiteral("$a*b*c_1_2$ and *em*") << QStringLiteral("{$a*b*c_1_2$} and [e:em]");
    QTest::newRow("no formula across a blank line") << QStringLiteral("$a\n\nb$") << QStringLiteral("$a\n\nb$");
    QTest::newRow("empty formula") << QStringLiteral("$$ $$ and \\(\\)") << QStringLiteral("$$ $$ and ()");
    QTest::newRow("unclosed") << QStringLiteral("let $x = 1") << QStringLiteral("let $x = 1");
}

void TestTextReaders::reads()
{
    QFETCH(QString, markdown);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseInlineMarkdown(markdown)), expected);
}

void TestTextReaders::growingTextGivesSameRuns()
{
    const QString full = QString::fromUtf8(kInlineSample).repeated(3);
    InlineMarkdownReader reader;
    for (const QString &prefix : prefixesOf(full, 1))
        QCOMPARE(reader.update(prefix), parseInlineMarkdown(prefix));
    QCOMPARE(reader.update(QStringLiteral("**x**")), parseInlineMarkdown(QStringLiteral("**x**")));
}

void TestTextReaders::structure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("blocks");
    QTest::addColumn<bool>("streaming");

    QTest::newRow("paragraphs keep single line breaks")
        << "one\ntwo  \nthree\\\nfour\n\nnext" << QStringList{"P:one\\ntwo\\nthree\\nfour", "P:next"} << false;
    QTest::newRow("atx headings") << "# One\n###### Six ##\n####### seven\n#no"
                                  << QStringList{"H1:One", "H6:Six", "P:####### seven\\n#no"} << false;
    QTest::newRow("setext headings") << "Title\n=====\nSub\ntitle\n---\ntext"
                                     << QStringList{"H1:Title", "H2:Sub\\ntitle", "P:text"} << false;
    QTest::newRow("rules") << "a\n\n***\n- - -\n___" << QStringList{"P:a", "HR", "HR", "HR"} << false;
    QTest::newRow("tight bullet list") << "- one\n- two\n* other list"
                                       << QStringList{"L1* ^ P:one", "L1* ^ P:two", "L2* ^ P:other list"} << false;
    QTest::newRow("numbers as written, across blank lines")
        << "1. a\n\n2. b\n7) c" << QStringList{"L1.1 ^ P:a", "L1.2 ^ P:b", "L2.7 ^ P:c"} << false;
    QTest::newRow("nested lists by indent")
        << "- a\n  - b\n    1. c\n  - d\n- e"
        << QStringList{"L1* ^ P:a", "L1* L2* ^ P:b", "L1* L2* L3.1 ^ P:c", "L1* L2* ^ P:d", "L1* ^ P:e"} << false;
    QTest::newRow("item with a second paragraph and a lazy line")
        << "- a\nlazy\n\n  more\nafter" << QStringList{"L1* ^ P:a\\nlazy", "L1* P:more\\nafter"} << false;
    QTest::newRow("unindented text after a blank line ends the list")
        << "- a\n\nafter" << QStringList{"L1* ^ P:a", "P:after"} << false;
    QTest::newRow("task list") << "- [ ] open\n- [x] done\n- [y] no"
                               << QStringList{"L1*[ ] ^ P:open", "L1*[x] ^ P:done", "L1* ^ P:[y] no"} << false;
    QTest::newRow("only 1. interrupts a paragraph")
        << "In\n1984. it\nsaid\n1. one" << QStringList{"P:In\\n1984. it\\nsaid", "L1.1 ^ P:one"} << false;
    QTest::newRow("quote with list and lazy line")
        << "> q\nlazy\n> - i\n>\n> > deep\n\nout" << QStringList{"Q P:q\\nlazy", "Q L1* ^ P:i", "Q Q P:deep", "P:out"}
        << false;
    QTest::newRow("table with alignment and escaped pipe")
        << "| a | b | c |\n|:--|:-:|--:|\n| `x\\|y` | **2** |\n| 1 | 2 | 3 | 4 |\nafter\n\nnext"
        << QStringList{"T[lcr]:a|b|c/`x|y`|**2**|/1|2|3/after||", "P:next"} << false;
    QTest::newRow("table ends at a block") << "a|b\n-|-\n# h" << QStringList{"T[nn]:a|b", "H1:h"} << false;
    QTest::newRow("delimiter count must match the header") << "| a | b |\n|---|\n"
                                                           << QStringList{"P:| a | b |\\n|---|"} << false;
    QTest::newRow("table in a list item") << "- | a |\n  |---|\n  | 1 |" << QStringList{"L1* ^ T[n]:a/1"} << false;
    QTest::newRow("crlf line ends") << "# h\r\n- a\r\n" << QStringList{"H1:h", "L1* ^ P:a"} << false;
    QTest::newRow("empty and blank") << " \n\n\t" << QStringList{} << false;
    // While streaming, a line whose kind the next characters may still change is held back.
    QTest::newRow("a dash that may underline or start a list") << "Steps\n-" << QStringList{"P:Steps"} << true;
    QTest::newRow("a list marker without text") << "- a\n- " << QStringList{"L1* ^ P:a"} << true;
    QTest::newRow("a marker with text shows") << "- a\n- b" << QStringList{"L1* ^ P:a", "L1* ^ P:b"} << true;
    QTest::newRow("a lone row waits for its delimiter") << "text\n\n| a | b |\n|--" << QStringList{"P:text"} << true;
    QTest::newRow("a half-received row shows in its table")
        << "| a | b |\n|---|---|\n| one" << QStringList{"T[nn]:a|b/one|"} << true;
    QTest::newRow("a task box in the making") << "- [x" << QStringList{} << true;
}

void TestTextReaders::structure()
{
    QFETCH(QString, text);
    QFETCH(QStringList, blocks);
    QFETCH(bool, streaming);
    QCOMPARE(describeBlocks(parseMarkdownBlocks(text, streaming)), blocks);
}

void TestTextReaders::growingTextMatchesAFreshRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("document")
        << "# Plan\n\nIntro line\nsecond\n\n1. First\n   - nested [ ] no\n   - [x] done\n2. Second\n"
           "> quote\n> - in quote\n\n| k | v |\n|--|--:|\n| a | 1 |\n| b | 2 |\n\n---\nEnd  \nline\\\nx";
    QTest::newRow("setext and tables decided late") << "A\nB\n===\n| h |\n|:-:|\n| c |\n- x\n-\ny\n---\n";
    QTest::newRow("lines whose kind shows late") << "para  \n2. x\n1. y\n-z\n- w  \n  more\n#x\n# h #\n> q\nlazy \t\n"
                                                    "z\\\n|a|\n|-|\n| b |\ntail \r\n**x  \r";
}

void TestTextReaders::growingTextMatchesAFreshRead()
{
    QFETCH(QString, text);
    for (bool streaming : {true, false}) {
        MarkdownBlockReader reader;
        QList<MarkdownBlock> settled;
        for (const QString &prefix : prefixesOf(text, 1)) {
            reader.update(prefix, streaming);
            QCOMPARE(describeBlocks(reader.blocks()), describeBlocks(parseMarkdownBlocks(prefix, streaming)));
            // What was settled stays as it was.
            for (int index = 0; index < settled.size(); ++index)
                QCOMPARE(reader.blocks().at(index), settled.at(index));
            settled = reader.blocks().first(reader.settledCount());
        }
    }
}

void TestTextReaders::anyOtherChangeStartsOver()
{
    MarkdownBlockReader reader;
    reader.update(QStringLiteral("- a\n- b\n"), false);
    const int generation = reader.generation();
    reader.update(QStringLiteral("# c\n"), false);
    QVERIFY(reader.generation() != generation);
    QCOMPARE(describeBlocks(reader.blocks()), QStringList{"H1:c"});
}

void TestTextReaders::formulaSplitAcrossFragmentsShowsSourceUntilClosed()
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

void TestTextReaders::cutsFallOutsideFormulas()
{
    const QString text = QStringLiteral("ab $x + y$ cd");
    QCOMPARE(mathSafeCut(text, 0, 6), text.indexOf(QStringLiteral(" cd")));
    QCOMPARE(mathSafeCut(text, 0, 11), 11);
    // An opener still waiting for its closer keeps the rest together.
    QCOMPARE(mathSafeCut(QStringLiteral("ab $x + y"), 0, 6), 9);
    QCOMPARE(mathSafeCut(QStringLiteral("pay $5 now"), 0, 7), 7);
}

void TestTextReaders::colours_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hash line is a comment, keywords and all")
        << QStringLiteral("# if x = 1") << QStringLiteral("cccccccccn");
    QTest::newRow("preprocessor line") << QStringLiteral("#include <a>\nx") << QStringLiteral("cccccccccccc..");
    QTest::newRow("// inside a string") << QStringLiteral("s = \"a // b\" + x") << QStringLiteral("....sssccccccccc");
    QTest::newRow("digits in a comment") << QStringLiteral("x = 1 // 42 apples")
                                         << QStringLiteral("....n.cccnnccccccc");
    QTest::newRow("case-sensitive keywords")
        << QStringLiteral("Return NULL null") << QStringLiteral("............kkkk");
    QTest::newRow("keywords only as whole words")
        << QStringLiteral("index format in_x in") << QStringLiteral("..................kk");
    QTest::newRow("keyword in a string") << QStringLiteral("\"return\" if") << QStringLiteral("ssssssss.kk");
    QTest::newRow("unclosed string") << QStringLiteral("x = \"abc") << QStringLiteral("........");
    QTest::newRow("unclosed block comment") << QStringLiteral("a /* b // c") << QStringLiteral(".......cccc");
    QTest::newRow("block comment over lines") << QStringLiteral("/* a\n if */ x") << QStringLiteral("ccccccccccc..");
    QTest::newRow("escaped quotes") << QStringLiteral(R"('it\'s' "a\"b")") << QStringLiteral("sssssss.ssssss");
    QTest::newRow("escape stops at a line break") << QStringLiteral("\"a\\\nb\" in") << QStringLiteral(".......kk");
    QTest::newRow("backtick string over lines") << QStringLiteral("`a\nb` 1") << QStringLiteral("sssss.n");
    QTest::newRow("numbers") << QStringLiteral("a1 1.5 2. x.3 3.x") << QStringLiteral("...nnn.n....n.nn.");
    QTest::newRow("emoji offsets") << QStringLiteral("\"😀\" if 1 // 😀 2") << QStringLiteral("ssss.kk.n.ccccccn");
    QTest::newRow("letters with accents are word characters") << QStringLiteral("éif if") << QStringLiteral("....kk");
    QTest::newRow("combining marks belong to the word")
        << QStringLiteral("e\u0301if if\u0301 in\u200D x.in") << QStringLiteral("...............kk");
    QTest::newRow("unpaired surrogate") << QString(QChar(0xD800)) + QStringLiteral(" if") << QStringLiteral("..kk");
    QTest::newRow("empty code") << QString() << QString();
}

void TestTextReaders::colours()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    QCOMPARE(mask(code), expected);
}

void TestTextReaders::holdsOnLongInput_data()
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
    QTest::newRow("100,000-character block comment") << QStringLiteral("/*") + plain + QStringLiteral("**/ x")
                                                     << qsizetype(0) << qsizetype(100005) << int(SyntaxColor::Comment);
    QTest::newRow("100,000-character single-quoted string over lines")
        << QLatin1Char('\'') + QStringLiteral("ab\n").repeated(33334) + QLatin1Char('\'') << qsizetype(0)
        << qsizetype(100004) << int(SyntaxColor::String);
    QTest::newRow("100,000 digits then a letter") << QString(100000, QLatin1Char('7')) + QLatin1Char('x')
                                                  << qsizetype(0) << qsizetype(0) << int(SyntaxColor::Base);
}

void TestTextReaders::holdsOnLongInput()
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

void TestTextReaders::growingCodeGivesSameRuns_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<int>("maxStep");
    QTest::newRow("sample, one code unit at a time") << QString::fromUtf8(kCodeSample) << 1;
    QTest::newRow("a keyword growing at the very start") << QStringLiteral("in") << 1;
    QTest::newRow("a string run that a later comment cuts short")
        << QStringLiteral("a // c\ns = 'x'\u00FFt`\n/* b\n `\n/* c\n */ if") << 1;
    QTest::newRow("sample repeated, fragments of up to 9") << QString::fromUtf8(kCodeSample).repeated(12) << 9;
}

void TestTextReaders::growingCodeGivesSameRuns()
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

QTEST_APPLESS_MAIN(TestTextReaders)
#include "tst_textreaders.moc"
