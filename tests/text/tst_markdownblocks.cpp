#include "text/GrowingText.h"
#include "text/MarkdownBlockReader.h"

#include <QTest>

namespace {

// One line a block: its containers ("Q" a quote, "L<list>*" a bullet item,
// "L<list>.<n>" a numbered one, "[ ]"/"[x]" a task, "^" its first block),
// then what it is. Lists are numbered in order of appearance.
QStringList describe(const QList<MarkdownBlock> &blocks)
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
        case MarkdownBlock::Kind::Paragraph: line += QStringLiteral("P:") + block.text; break;
        case MarkdownBlock::Kind::Heading: line += QStringLiteral("H%1:").arg(block.level) + block.text; break;
        case MarkdownBlock::Kind::Rule: line += QStringLiteral("HR"); break;
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

} // namespace

class TestMarkdownBlocks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void structure_data();
    void structure();
    void streamingHoldsBackUndecidedLines_data();
    void streamingHoldsBackUndecidedLines();
    void growingTextMatchesAFreshRead_data();
    void growingTextMatchesAFreshRead();
    void anyOtherChangeStartsOver();
};

void TestMarkdownBlocks::structure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("blocks");

    QTest::newRow("paragraphs keep single line breaks")
        << "one\ntwo  \nthree\\\nfour\n\nnext" << QStringList{"P:one\\ntwo\\nthree\\nfour", "P:next"};
    QTest::newRow("atx headings") << "# One\n###### Six ##\n####### seven\n#no"
                                  << QStringList{"H1:One", "H6:Six", "P:####### seven\\n#no"};
    QTest::newRow("setext headings") << "Title\n=====\nSub\ntitle\n---\ntext"
                                     << QStringList{"H1:Title", "H2:Sub\\ntitle", "P:text"};
    QTest::newRow("rules") << "a\n\n***\n- - -\n___" << QStringList{"P:a", "HR", "HR", "HR"};
    QTest::newRow("tight bullet list") << "- one\n- two\n* other list"
                                       << QStringList{"L1* ^ P:one", "L1* ^ P:two", "L2* ^ P:other list"};
    QTest::newRow("numbers as written, across blank lines")
        << "1. a\n\n2. b\n7) c" << QStringList{"L1.1 ^ P:a", "L1.2 ^ P:b", "L2.7 ^ P:c"};
    QTest::newRow("nested lists by indent")
        << "- a\n  - b\n    1. c\n  - d\n- e"
        << QStringList{"L1* ^ P:a", "L1* L2* ^ P:b", "L1* L2* L3.1 ^ P:c", "L1* L2* ^ P:d", "L1* ^ P:e"};
    QTest::newRow("item with a second paragraph and a lazy line")
        << "- a\nlazy\n\n  more\nafter" << QStringList{"L1* ^ P:a\\nlazy", "L1* P:more\\nafter"};
    QTest::newRow("unindented text after a blank line ends the list")
        << "- a\n\nafter" << QStringList{"L1* ^ P:a", "P:after"};
    QTest::newRow("task list") << "- [ ] open\n- [x] done\n- [y] no"
                               << QStringList{"L1*[ ] ^ P:open", "L1*[x] ^ P:done", "L1* ^ P:[y] no"};
    QTest::newRow("only 1. interrupts a paragraph")
        << "In\n1984. it\nsaid\n1. one" << QStringList{"P:In\\n1984. it\\nsaid", "L1.1 ^ P:one"};
    QTest::newRow("quote with list and lazy line")
        << "> q\nlazy\n> - i\n>\n> > deep\n\nout"
        << QStringList{"Q P:q\\nlazy", "Q L1* ^ P:i", "Q Q P:deep", "P:out"};
    QTest::newRow("table with alignment and escaped pipe")
        << "| a | b | c |\n|:--|:-:|--:|\n| `x\\|y` | **2** |\n| 1 | 2 | 3 | 4 |\nafter\n\nnext"
        << QStringList{"T[lcr]:a|b|c/`x|y`|**2**|/1|2|3/after||", "P:next"};
    QTest::newRow("table ends at a block") << "a|b\n-|-\n# h" << QStringList{"T[nn]:a|b", "H1:h"};
    QTest::newRow("delimiter count must match the header")
        << "| a | b |\n|---|\n" << QStringList{"P:| a | b |\\n|---|"};
    QTest::newRow("table in a list item") << "- | a |\n  |---|\n  | 1 |"
                                          << QStringList{"L1* ^ T[n]:a/1"};
    QTest::newRow("crlf line ends") << "# h\r\n- a\r\n" << QStringList{"H1:h", "L1* ^ P:a"};
    QTest::newRow("empty and blank") << " \n\n\t" << QStringList{};
}

void TestMarkdownBlocks::structure()
{
    QFETCH(QString, text);
    QFETCH(QStringList, blocks);
    QCOMPARE(describe(parseMarkdownBlocks(text)), blocks);
}

void TestMarkdownBlocks::streamingHoldsBackUndecidedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("blocks");

    QTest::newRow("a dash that may underline or start a list") << "Steps\n-" << QStringList{"P:Steps"};
    QTest::newRow("a list marker without text") << "- a\n- " << QStringList{"L1* ^ P:a"};
    QTest::newRow("a marker with text shows") << "- a\n- b" << QStringList{"L1* ^ P:a", "L1* ^ P:b"};
    QTest::newRow("a lone row waits for its delimiter") << "text\n\n| a | b |\n|--" << QStringList{"P:text"};
    QTest::newRow("a half-received row shows in its table")
        << "| a | b |\n|---|---|\n| one" << QStringList{"T[nn]:a|b/one|"};
    QTest::newRow("a task box in the making") << "- [x" << QStringList{};
}

void TestMarkdownBlocks::streamingHoldsBackUndecidedLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, blocks);
    QCOMPARE(describe(parseMarkdownBlocks(text, true)), blocks);
}

void TestMarkdownBlocks::growingTextMatchesAFreshRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("document") << "# Plan\n\nIntro line\nsecond\n\n1. First\n   - nested [ ] no\n   - [x] done\n2. Second\n"
                                 "> quote\n> - in quote\n\n| k | v |\n|--|--:|\n| a | 1 |\n| b | 2 |\n\n---\nEnd  \nline\\\nx";
    QTest::newRow("setext and tables decided late") << "A\nB\n===\n| h |\n|:-:|\n| c |\n- x\n-\ny\n---\n";
    QTest::newRow("lines whose kind shows late") << "para  \n2. x\n1. y\n-z\n- w  \n  more\n#x\n# h #\n> q\nlazy \t\n"
                                                     "z\\\n|a|\n|-|\n| b |\ntail \r\n**x  \r";
}

void TestMarkdownBlocks::growingTextMatchesAFreshRead()
{
    QFETCH(QString, text);
    for (bool streaming : {true, false}) {
        MarkdownBlockReader reader;
        QList<MarkdownBlock> settled;
        for (const QString &prefix : prefixesOf(text, 1)) {
            reader.update(prefix, streaming);
            QCOMPARE(describe(reader.blocks()), describe(parseMarkdownBlocks(prefix, streaming)));
            // What was settled stays as it was.
            for (int index = 0; index < settled.size(); ++index)
                QCOMPARE(reader.blocks().at(index), settled.at(index));
            settled = reader.blocks().first(reader.settledCount());
        }
    }
}

void TestMarkdownBlocks::anyOtherChangeStartsOver()
{
    MarkdownBlockReader reader;
    reader.update(QStringLiteral("- a\n- b\n"), false);
    const int generation = reader.generation();
    reader.update(QStringLiteral("# c\n"), false);
    QVERIFY(reader.generation() != generation);
    QCOMPARE(describe(reader.blocks()), QStringList{"H1:c"});
}

QTEST_APPLESS_MAIN(TestMarkdownBlocks)
#include "tst_markdownblocks.moc"
