#include "text/ContentSegment.h"
#include "text/ContentSegmenter.h"
#include "text/GrowingText.h"

#include <QTest>

#include <optional>

class TestContentSegments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splits_data();
    void splits();
    void growingTextGivesSameSegments_data();
    void growingTextGivesSameSegments();
    void startsOverOnOtherChanges();
};

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

const char *const kSample = "Intro **bold**\r\n\n```py\ndef f():\n    return 1\n```\nBetween\n```\n```\n````\nx\n"
                            "```js trailing\n  ```not a fence\n~~~\nend\n```sh\necho 😀\n";

} // namespace

void TestContentSegments::splits_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<Segments>("segments");
    QTest::newRow("one line") << QStringLiteral("A") << Segments{text("A")};
    QTest::newRow("empty text") << QString() << Segments{text("")};
    QTest::newRow("code between prose") << QStringLiteral("A\n```json\nB\n```\nC")
                                        << Segments{text("A"), code("json", "B"), text("C")};
    QTest::newRow("blank lines around a block") << QStringLiteral("A\n\n```\nB\n```\n\nC")
                                                << Segments{text("A\n"), code("", "B"), text("\nC")};
    QTest::newRow("two bare fences") << QStringLiteral("```\n```") << Segments{code("", "")};
    QTest::newRow("opening fence only") << QStringLiteral("```py") << Segments{};
    QTest::newRow("opening fence and line feed") << QStringLiteral("```py\n") << Segments{code("py", "")};
    QTest::newRow("unclosed block") << QStringLiteral("A\n```py\nB") << Segments{text("A"), code("py", "B")};
    QTest::newRow("language trimmed, blank lines kept") << QStringLiteral("```  js  \nB\n\nC\n```")
                                                        << Segments{code("js", "B\n\nC")};
    QTest::newRow("closing fence ignores its text") << QStringLiteral("```js\nB\n```sh\nC")
                                                    << Segments{code("js", "B"), text("C")};
    QTest::newRow("final line feed") << QStringLiteral("A\n") << Segments{text("A\n")};
    QTest::newRow("indented fence is prose") << QStringLiteral("  ```\nB") << Segments{text("  ```\nB")};
    QTest::newRow("fence inside a line, tildes") << QStringLiteral("a ```b\n~~~\nc")
                                                 << Segments{text("a ```b\n~~~\nc")};
    QTest::newRow("four backticks") << QStringLiteral("````\nx\n```") << Segments{code("`", "x")};
    QTest::newRow("tab and wide space trimmed, line break kept")
        << QStringLiteral("```\t\u3000py\u2028\nx") << Segments{code("py\u2028", "x")};
    QTest::newRow("CRLF line ends") << QStringLiteral("A\r\n```py \r\nB\r\n```\r\nC\r")
                                    << Segments{text("A"), code("py", "B"), text("C\r")};
    QTest::newRow("lone carriage return stays") << QStringLiteral("A\rB") << Segments{text("A\rB")};
}

void TestContentSegments::splits()
{
    QFETCH(QString, input);
    QFETCH(Segments, segments);
    QCOMPARE(parseContentSegments(input), segments);
    ContentSegmenter segmenter;
    QCOMPARE(segmenter.update(input), segments);
}

void TestContentSegments::growingTextGivesSameSegments_data()
{
    QTest::addColumn<QString>("full");
    QTest::newRow("mixed sample") << QString::fromUtf8(kSample);
    QTest::newRow("fence characters at every cut") << QStringLiteral("``\n```\n````\n``` a\n`\n```\n");
    QTest::newRow("carriage returns in prose") << QStringLiteral("a\r\nb\r\n\r\n```\nc\r\n```\r\nd\re\r\n");
}

// Every prefix, as a stream delivers it one code unit at a time.
void TestContentSegments::growingTextGivesSameSegments()
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

void TestContentSegments::startsOverOnOtherChanges()
{
    ContentSegmenter segmenter;
    segmenter.update(QStringLiteral("A\n```py\nB\n"));
    QCOMPARE(segmenter.update(QStringLiteral("Other\n```\nx")), (Segments{text("Other"), code("", "x")}));
    QCOMPARE(segmenter.update(QStringLiteral("Oth")), Segments{text("Oth")});
}

QTEST_GUILESS_MAIN(TestContentSegments)
#include "tst_contentsegments.moc"
