// SPDX-License-Identifier: GPL-3.0-or-later
// Answers and messages as views: prose, code blocks, Markdown documents,
// tables and formulas, streamed as one pass renders them, copied as written.
#include "content/CodeBlockView.h"
#include "content/FormulaObject.h"
#include "content/HoverScrollBar.h"
#include "content/MarkdownTableView.h"
#include "content/MarkdownView.h"
#include "content/MessageContent.h"
#include "content/ProseView.h"
#include "content/SyntaxColoredCodeView.h"
#include "math/MathSvg.h"
#include "math/MathTypesetter.h"
#include "support/BoolRows.h"
#include "text/GrowingText.h"
#include "text/MarkdownBlockReader.h"
#include "text/SyntaxColoring.h"
#include "ui/CodeBlockColors.h"
#include "ui/LauncherColors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>

namespace {

// Rows that stream a text in fragments of these sizes.
void addFragmentRows(std::initializer_list<int> sizes)
{
    QTest::addColumn<int>("fragment");
    for (int size : sizes)
        QTest::addRow("fragments of %d", size) << size;
}

const char *kMarkdown = "Intro with **bold** and *soft* words.\n\n"
                        "A `code span`, a [link](https://example.org) and ~~gone~~.\n"
                        "**bold that spans\na line break**\n\n"
                        "# not a heading\n- not a list\n\n"
                        "Unclosed **marker stays literal";

const char *kCode = "#include <x>\n"
                    "const s = \"a // not a comment\";\n"
                    "let t = `multi\nline` + 'q\\'s';\n"
                    "/* block\n comment 42 */ return 3.14 in index\n"
                    "x = \"never closed\n# hash line with if and 7\n";

// WCAG's relative luminance and contrast ratio.
double luminance(const QColor &colour)
{
    const auto channel = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor over(const QColor &top, const QColor &below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                            float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

// What a document shows: per block its look (indent, margins, list, marker,
// quote depth, rule) and its characters in runs of one look. A block that only
// carries on a paragraph split for layout joins the one before it.
QStringList describeDocument(const QTextDocument *document)
{
    QStringList out;
    QString last;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat f = block.blockFormat();
        const bool continuation = f.boolProperty(MarkdownView::kContinuationProperty) && !out.isEmpty();
        if (!continuation)
            last.clear();
        QString text;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat c = it.fragment().charFormat();
            const QString look = QStringLiteral("{%1 w%2 i%3 s%4 a%5 f%6 m%7}")
                                     .arg(c.font().pixelSize())
                                     .arg(c.fontWeight())
                                     .arg(c.fontItalic())
                                     .arg(c.fontStrikeOut())
                                     .arg(c.anchorHref())
                                     .arg(c.foreground().color().name(QColor::HexArgb))
                                     .arg(c.fontFixedPitch() || c.font().fixedPitch());
            if (look != last)
                text += look;
            last = look;
            text += it.fragment().text();
        }
        if (continuation) {
            out.last() += text;
            continue;
        }
        out.append(QStringLiteral("[i%1 l%2 t%3 q%4 r%5 k%6] ")
                       .arg(f.indent())
                       .arg(f.leftMargin())
                       .arg(f.topMargin())
                       .arg(f.intProperty(MarkdownView::kQuoteDepthProperty))
                       .arg(f.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth))
                       .arg(qRound(f.textIndent()))
                   + text);
    }
    return out;
}

// Where the lines of the prose break, as shown.
QStringList describeLines(const MessageContent &content)
{
    QStringList lines;
    for (QWidget *entry : content.entries()) {
        auto *prose = qobject_cast<MarkdownView *>(entry);
        for (QTextBlock block = prose ? prose->document()->begin() : QTextBlock(); block.isValid();
             block = block.next()) {
            const QTextLayout *layout = block.layout();
            for (int line = 0; line < layout->lineCount(); ++line)
                lines.append(block.text().mid(layout->lineAt(line).textStart(), layout->lineAt(line).textLength()));
        }
    }
    return lines;
}

QStringList describeContent(const MessageContent &content)
{
    QStringList out;
    for (QWidget *entry : content.entries()) {
        if (auto *prose = qobject_cast<MarkdownView *>(entry)) {
            out.append(QStringLiteral("prose"));
            out += describeDocument(prose->document());
        } else if (auto *table = qobject_cast<MarkdownTableView *>(entry)) {
            out.append(QStringLiteral("table"));
            out += describeDocument(table->grid()->document());
        } else {
            auto *code = static_cast<CodeBlockView *>(entry);
            out.append(QStringLiteral("code ") + code->lang() + QLatin1Char(':') + code->codeBody());
        }
    }
    return out;
}

// Answers as models write them.
const char *const kCorpus[] = {
    "## Steps\n\nTo set it up:\n1. Install the **package**:\n   ```\nnot a fence here\n   ```\n2. Run `make`\n"
    "   - on Linux: `make -j4`\n   - on *other* systems, see [the docs](https://example.org)\n3. Done\n\n"
    "```sh\nmake install\n```\n4. Carry on after the code\n\n> **Note**: quotes hold\n> - lists\n> and lazy "
    "lines\n\n---\n"
    "Thanks!",
    "| Option | Default | Meaning |\n|:--|:-:|--:|\n| `-v` | off | more **output** |\n| `-q` | on | less |\n"
    "| `--long-option-name` | none | a cell that is long enough to make the table wider than a narrow bubble |\n\n"
    "Task list:\n- [x] parse\n- [ ] render\n  continued line\n- [ ] test\n\nSetext Title\n============\nLine one  \n"
    "line two\\\nline three",
    "# Title\n\nParagraph with *emphasis*, ~~strike~~ and a very long run of words that wraps over several lines "
    "in a narrow bubble, so that the layout has more than one line to break.\n\n* a\n* b\n    * c\n        * d\n\n"
    "Text\n---\n\n- - -\n\n1) one\n2) two\n\n###### Small ######\nend",
};

// The text rendered in one pass while streaming, to compare a streamed render with.
void renderAtOnce(MessageContent &content, int width, const QString &text)
{
    content.setLayoutWidth(width);
    content.setStreaming(true);
    content.setRaw(text);
}

// MathJax is slow to load under the sanitizers.
constexpr int kEngineTimeout = 120000;

void waitForFormulas()
{
    QTRY_VERIFY_WITH_TIMEOUT(MathTypesetter::shared()->pendingCount() == 0, kEngineTimeout);
    QCoreApplication::processEvents(); // the views' coalesced layout passes
}

// The object characters of formulas in a document, with their formats.
QList<QTextCharFormat> formulaFormats(const QTextDocument *document)
{
    QList<QTextCharFormat> formats;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().objectType() == FormulaObject::kObjectType)
                formats.append(QList<QTextCharFormat>(it.fragment().length(), it.fragment().charFormat()));
        }
    }
    return formats;
}

MarkdownView *viewOf(MessageContent &content)
{
    return qobject_cast<MarkdownView *>(content.entries().value(0));
}

} // namespace

class TestContentViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamedProseLooksLikeOnePass_data() { addFragmentRows({1, 3, 17}); }

    void streamedProseLooksLikeOnePass()
    {
        QFETCH(int, fragment);
        const QString text = QString::fromUtf8(kMarkdown);
        ProseView streamed;
        for (const QString &prefix : prefixesOf(text, fragment))
            streamed.setRawText(prefix);
        ProseView whole;
        whole.setRawText(text);
        QCOMPARE(describeDocument(streamed.document()), describeDocument(whole.document()));
        QVERIFY(describeDocument(whole.document()).join(QString()).contains(QLatin1String("# not a heading")));
    }

    void streamedCodeIsColouredLikeOnePass_data() { addFragmentRows({1, 4, 9}); }

    void streamedCodeIsColouredLikeOnePass()
    {
        QFETCH(int, fragment);
        const QString code = QString::fromUtf8(kCode);
        SyntaxColoredCodeView streamed(QString(), QStringLiteral("js"));
        for (const QString &prefix : prefixesOf(code, fragment))
            streamed.setCode(prefix);
        SyntaxColoredCodeView whole(code, QStringLiteral("js"));
        QCOMPARE(describeDocument(streamed.document()), describeDocument(whole.document()));
        QCOMPARE(streamed.toPlainText(), code);

        // And both agree with the colouring pass itself.
        QList<SyntaxColorRun> runs = syntaxColorRuns(code);
        QTextCursor cursor(whole.document());
        for (const SyntaxColorRun &run : runs) {
            cursor.setPosition(int(run.start) + 1);
            QCOMPARE(cursor.charFormat().foreground().color(),
                     CodeBlockColors::forAppearance(LauncherColors::of(&whole).dark).syntax(run.color));
        }
    }

    void streamingTouchesOnlyTheLastEntry()
    {
        const QString answer = QStringLiteral("Intro\n\n```py\nprint(1)\n```\nMiddle text\n```\nraw\n```\nEnd");
        MessageContent content(QString(), false);
        content.setLayoutWidth(400);
        QList<QWidget *> seen;
        for (const QString &prefix : prefixesOf(answer, 2)) {
            content.setRaw(prefix);
            const QList<QWidget *> entries = content.entries();
            // Entries before the last one of the previous update are never rebuilt.
            for (int index = 0; index + 1 < seen.size() && index < entries.size(); ++index)
                QCOMPARE(entries.at(index), seen.at(index));
            seen = entries;
        }
        const QList<QWidget *> entries = content.entries();
        QCOMPARE(entries.size(), 5);
        QCOMPARE(qobject_cast<CodeBlockView *>(entries.at(1))->codeBody(), QStringLiteral("print(1)"));
        QCOMPARE(qobject_cast<CodeBlockView *>(entries.at(3))->codeBody(), QStringLiteral("raw"));
        QCOMPARE(qobject_cast<ProseView *>(entries.at(4))->toPlainText(), QStringLiteral("End"));
        QVERIFY(content.contentHeight() > 0);
    }

    void blankMessagesShowNothing()
    {
        for (const QString &raw : {QString(), QStringLiteral("  \n\n \t")}) {
            MessageContent content(raw, false);
            content.setLayoutWidth(300);
            for (QWidget *entry : content.entries())
                QVERIFY(entry->isHidden());
            QCOMPARE(content.contentHeight(), 0);
        }
    }

    void codeBlockLabelAndCopy()
    {
        CodeBlockView unnamed(QString(), QStringLiteral("x"));
        QCOMPARE(unnamed.findChild<QLabel *>()->text(), QStringLiteral("code"));

        const QString body = QStringLiteral("echo \"hi\"\n\tindented\n");
        CodeBlockView block(QStringLiteral("py"), body);
        QCOMPARE(block.findChild<QLabel *>()->text(), QStringLiteral("py"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        block.copyButton()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), body); // no fences, no language
        QCOMPARE(block.copyButton()->text(), QStringLiteral("Copied!"));
        QTRY_COMPARE_WITH_TIMEOUT(block.copyButton()->text(), QStringLiteral("Copy"), 4000);
        QVERIFY(!block.copied());
    }

    void codeReadsInBothAppearances_data() { addBoolRows("dark", "light", "dark"); }

    // Every colour of a code block reads at 4.5:1 on what lies beneath it, taken
    // from the block as painted on an answer's bubble, and the block stands out.
    void codeReadsInBothAppearances()
    {
        QFETCH(bool, dark);
        const LauncherColors colors = LauncherColors::forAppearance(dark);
        // The panel's opaque ground under an answer's bubble.
        const QColor bubble =
            over(withOpacity(colors.secondary, 0.1), dark ? QColor(36, 36, 41) : QColor(246, 246, 248));
        QWidget host;
        QPalette palette = colors.palette(host.palette());
        palette.setColor(QPalette::Window, bubble);
        host.setPalette(palette);
        host.setAutoFillBackground(true);
        CodeBlockView block(QStringLiteral("js"), QString::fromUtf8(kCode), &host);
        block.resize(420, block.heightForWidth(420));
        host.resize(block.size());
        const QImage shot = host.grab().toImage();
        const QColor blockFill = shot.pixelColor(6, block.height() / 2);
        const QColor headerFill = shot.pixelColor(6, 8);
        QVERIFY2(qAbs(blockFill.lightness() - bubble.lightness()) >= 8, "the block does not stand out from the bubble");

        QSet<QRgb> seen;
        const QTextDocument *document = block.codeView()->document();
        for (QTextBlock line = document->begin(); line.isValid(); line = line.next()) {
            for (auto it = line.begin(); !it.atEnd(); ++it) {
                const QColor text = it.fragment().charFormat().foreground().color();
                seen.insert(text.rgba());
                const double ratio = contrast(over(text, blockFill), blockFill);
                QVERIFY2(ratio >= 4.5,
                         qPrintable(QStringLiteral("%1 on %2: %3:1").arg(text.name(), blockFill.name()).arg(ratio)));
            }
        }
        QCOMPARE(seen.size(), 5); // plain text, keywords, strings, comments, numbers
        const QLabel *label = block.findChild<QLabel *>();
        const QColor labelColour = label->palette().color(QPalette::WindowText);
        const double labelRatio = contrast(over(labelColour, headerFill), headerFill);
        QVERIFY2(labelRatio >= 4.5, qPrintable(QStringLiteral("language label: %1:1").arg(labelRatio)));
    }

    void wideCodeScrollsSideways()
    {
        CodeBlockView block(QStringLiteral("sh"), QStringLiteral("echo ") + QString(300, QLatin1Char('x')));
        block.resize(240, block.heightForWidth(240));
        block.show();
        QVERIFY(QTest::qWaitForWindowExposed(&block));
        QScrollBar *own = block.codeView()->horizontalScrollBar();
        QVERIFY(own->maximum() > 0);
        QCOMPARE(own->value(), 0); // shows the start of the lines, not the end
        // The bar shows while the pointer is over the block.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&block, &leave);
        QVERIFY(block.sidewaysBar()->isHidden());
        QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), block.mapToGlobal(QPointF(20, 20)));
        QApplication::sendEvent(&block, &enter);
        QVERIFY(block.sidewaysBar()->isVisible());
        QVERIFY(block.sidewaysBar()->geometry().bottom() < block.height());
        // Shift with the wheel scrolls sideways; the plain wheel is left to the conversation.
        QWheelEvent plain(QPointF(20, 40), block.mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(block.codeView()->viewport(), &plain);
        QCOMPARE(own->value(), 0);
        QWheelEvent shifted(QPointF(20, 40), block.mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, -120),
                            Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(block.codeView()->viewport(), &shifted);
        QVERIFY(own->value() > 0);
        QCOMPARE(block.sidewaysBar()->value(), own->value());
        QApplication::sendEvent(&block, &leave);
        QVERIFY(block.sidewaysBar()->isHidden());
    }

    void deletedUnderThePointer_data() { addBoolRows("table", "code block", "table"); }

    // A block deleted while the pointer rests on it (a new chat clears the answers
    // under the mouse) must not let its sideways bar reach the half-destroyed view.
    void deletedUnderThePointer()
    {
        QFETCH(bool, table);
        QWidget top;
        top.resize(600, 300);
        QPointer<QWidget> block;
        if (table) {
            auto *view = new MarkdownTableView(&top);
            const QString wide =
                QStringLiteral("| a | b |\n|---|---|\n| %1 | %1 |\n").arg(QString(300, QLatin1Char('y')));
            view->setTable(parseMarkdownBlocks(wide).first());
            block = view;
        } else {
            block = new CodeBlockView(QStringLiteral("python"),
                                      QStringLiteral("x = 1\n").repeated(5) + QString(400, QLatin1Char('y')), &top);
        }
        block->setGeometry(0, 0, 600, 200);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        QCursor::setPos(top.mapToGlobal(QPoint(120, 60)));
        QTRY_VERIFY(block->underMouse());
        delete block;
        QTest::qWait(50);
        QVERIFY(!block);
    }

    void streamedAnswerRendersAsOnePass_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("fragment");
        for (int index = 0; index < int(std::size(kCorpus)); ++index) {
            for (int size : {1, 4, 13})
                QTest::addRow("answer %d, fragments of %d", index, size) << QString::fromUtf8(kCorpus[index]) << size;
        }
    }

    void streamedAnswerRendersAsOnePass()
    {
        QFETCH(QString, answer);
        QFETCH(int, fragment);
        MessageContent streamed(QString(), false);
        streamed.setLayoutWidth(260);
        streamed.setStreaming(true);
        for (const QString &prefix : prefixesOf(answer, fragment)) {
            streamed.setRaw(prefix);
            MessageContent whole(QString(), false);
            whole.setLayoutWidth(260);
            whole.setStreaming(true);
            whole.setRaw(prefix);
            QCOMPARE(describeContent(streamed), describeContent(whole));
        }
        streamed.setStreaming(false);
        MessageContent finished(answer, false);
        finished.setLayoutWidth(260);
        QCOMPARE(describeContent(streamed), describeContent(finished));
    }

    void longParagraphStreamsInPieces()
    {
        // Spans that close a while after they open, so a fragment also changes
        // text already shown, some of it on lines frozen before.
        QString paragraph = QStringLiteral("- item\n\n");
        for (int word = 0; paragraph.size() < 30000; ++word) {
            if (word % 50 == 7)
                paragraph += QStringLiteral("**bold %1 and more words that run on** ").arg(word);
            else if (word % 61 == 11)
                paragraph += QStringLiteral("[link %1](https://example.org/%1/a-long-path) ").arg(word);
            else if (word % 37 == 5)
                paragraph += QStringLiteral("`code %1` ").arg(word);
            else if (word % 97 == 3)
                paragraph += QStringLiteral("line %1\n").arg(word);
            else
                paragraph += QStringLiteral("w%1 ").arg(word);
        }
        int width = 300;
        MessageContent streamed(QString(), false);
        streamed.setLayoutWidth(width);
        streamed.setStreaming(true);
        auto rendersAsOnePass = [&](const QString &prefix) {
            MessageContent whole(QString(), false);
            renderAtOnce(whole, width, prefix);
            QCOMPARE(describeContent(streamed), describeContent(whole));
            // Frozen lines break and sit where the lines of one block would.
            QCOMPARE(describeLines(streamed), describeLines(whole));
            QCOMPARE(streamed.contentHeight(), whole.contentHeight());
            // Copied, they are one paragraph again.
            QCOMPARE(streamed.plainText(), whole.plainText());
            auto *view = qobject_cast<MarkdownView *>(streamed.entries().constLast());
            view->selectAll();
            QScopedPointer<QMimeData> copied(view->mimeDataOfSelection());
            QCOMPARE(copied->text(), streamed.plainText());
        };
        const QStringList prefixes = prefixesOf(paragraph, 53);
        for (int index = 0; index < prefixes.size(); ++index) {
            streamed.setRaw(prefixes.at(index));
            // The panel is resized halfway through.
            if (index == prefixes.size() / 2) {
                width = 500;
                streamed.setLayoutWidth(width);
            }
            if (index > 0 && (index % 23 == 0 || index == prefixes.size() / 2))
                rendersAsOnePass(prefixes.at(index));
        }
        auto *view = qobject_cast<MarkdownView *>(streamed.entries().constFirst());
        QVERIFY(view->hasSplitParagraphs());
        QVERIFY(view->document()->blockCount() > 50);
        rendersAsOnePass(paragraph);

        // A selection from frozen lines into the open ones copies no break between them.
        QTextCursor cursor(view->document());
        cursor.setPosition(20);
        cursor.setPosition(view->document()->characterCount() - 20, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        QScopedPointer<QMimeData> part(view->mimeDataOfSelection());
        const QString all = view->plainText();
        QCOMPARE(part->text(), all.mid(20, all.size() - 39));

        streamed.setStreaming(false);
        MessageContent finished(paragraph, false);
        finished.setLayoutWidth(width);
        QCOMPARE(describeContent(streamed), describeContent(finished));
        QCOMPARE(streamed.plainText(), finished.plainText());
        // The marker's block ends, the paragraph's own line breaks stay, nothing more.
        QCOMPARE(streamed.plainText().count(QLatin1Char('\n')), paragraph.count(QLatin1Char('\n')) - 1);
        // A new width breaks the lines anew, as a fresh rendering does.
        streamed.setLayoutWidth(260);
        finished.setLayoutWidth(260);
        QCOMPARE(describeContent(streamed), describeContent(finished));
        QCOMPARE(streamed.contentHeight(), finished.contentHeight());
    }

    void closedSpanPullsAWordUp()
    {
        // A link shows its target as typed until it closes: the word that then
        // starts a line may fit on the line above, frozen or not.
        QString paragraph;
        for (int word = 0; paragraph.size() < 3000; ++word) {
            paragraph += word % 9 == 4 ? QStringLiteral("[x%1](https://example.org/%2) ")
                                             .arg(word)
                                             .arg(QString(word % 7 * 20 + 40, QLatin1Char('p')))
                                       : QStringLiteral("w%1 ").arg(word);
        }
        for (int width : {150, 211, 290}) {
            MessageContent streamed(QString(), false);
            streamed.setLayoutWidth(width);
            streamed.setStreaming(true);
            for (const QString &prefix : prefixesOf(paragraph, 1)) {
                streamed.setRaw(prefix);
                if (!prefix.endsWith(QLatin1Char(')')))
                    continue;
                MessageContent whole(QString(), false);
                renderAtOnce(whole, width, prefix);
                QCOMPARE(describeContent(streamed), describeContent(whole));
                QCOMPARE(describeLines(streamed), describeLines(whole));
            }
        }
    }

    void blockKinds()
    {
        MessageContent content(QStringLiteral("# Big\n### Small\nbody\n\n- a\n  - [x] b\n3. three\n> quoted\n\n***"),
                               false);
        content.setLayoutWidth(400);
        auto *view = qobject_cast<MarkdownView *>(content.entries().constFirst());
        QVERIFY(view);
        const QTextDocument *document = view->document();
        QCOMPARE(document->blockCount(), 8);
        auto block = [&](int index) { return document->findBlockByNumber(index); };
        auto size = [&](int index) { return block(index).begin().fragment().charFormat().font().pixelSize(); };
        QVERIFY(size(0) > size(1));
        QVERIFY(size(1) > size(2));
        QCOMPARE(block(0).text(), QStringLiteral("Big"));

        // Markers hang before the text: a bullet by depth, a task's box, a number as written.
        QCOMPARE(block(3).text(), QStringLiteral("\u2022 a"));
        QCOMPARE(block(4).text(), QStringLiteral("\u2611 b"));
        QVERIFY(block(4).blockFormat().indent() > block(3).blockFormat().indent());
        QCOMPARE(block(5).text(), QStringLiteral("3. three"));
        for (int index : {3, 4, 5}) {
            const QTextBlockFormat format = block(index).blockFormat();
            QVERIFY(format.textIndent() < 0);
            QVERIFY(format.leftMargin() + format.textIndent() >= 0);
        }
        QCOMPARE(block(6).blockFormat().intProperty(MarkdownView::kQuoteDepthProperty), 1);
        QVERIFY(block(6).blockFormat().leftMargin() > 0);
        QVERIFY(block(7).blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
    }

    void tables()
    {
        const QString wide = QStringLiteral("| Name | Value |\n|---|--:|\n| **a** | 1 |\n| b | %1 |\n")
                                 .arg(QString(60, QLatin1Char('x')));
        MessageContent content(QStringLiteral("Before\n\n") + wide + QStringLiteral("\nAfter"), false);
        content.setLayoutWidth(200);
        const QList<QWidget *> entries = content.entries();
        QCOMPARE(entries.size(), 3);
        auto *table = qobject_cast<MarkdownTableView *>(entries.at(1));
        QVERIFY(table);
        QTextTable *grid = table->textTable();
        QCOMPARE(grid->rows(), 3);
        QCOMPARE(grid->columns(), 2);
        QCOMPARE(grid->format().headerRowCount(), 1);
        QVERIFY(grid->format().border() > 0);
        QCOMPARE(grid->cellAt(0, 0).firstCursorPosition().block().text(), QStringLiteral("Name"));
        QVERIFY(grid->cellAt(0, 0).firstCursorPosition().block().begin().fragment().charFormat().fontWeight()
                > QFont::Normal);
        QCOMPARE(grid->cellAt(1, 0).firstCursorPosition().block().text(), QStringLiteral("a"));
        QCOMPARE(grid->cellAt(1, 1).firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        // Wider than the bubble: it keeps its width and scrolls, with room for the bar.
        QVERIFY(table->idealWidth() > 200);
        QVERIFY(table->heightForWidth(200) > qCeil(table->grid()->document()->size().height()));
        QVERIFY(table->grid()->horizontalScrollBar()->maximum() > 0);
    }

    void copiesPlainText()
    {
        MessageContent content(QStringLiteral("# Title\n\n- **one**\n- two\n\n1. first"), false);
        content.setLayoutWidth(300);
        auto *view = qobject_cast<MarkdownView *>(content.entries().constFirst());
        view->selectAll();
        QScopedPointer<QMimeData> copied(view->mimeDataOfSelection());
        QVERIFY(!copied->hasHtml());
        QCOMPARE(copied->text(), QStringLiteral("Title\n\u2022 one\n\u2022 two\n1. first"));
    }

    void typesetsCachesAndFreesTheEngine()
    {
        MathTypesetter typesetter;
        QSignalSpy typeset(&typesetter, &MathTypesetter::typeset);
        QSignalSpy stopped(&typesetter, &MathTypesetter::engineStopped);
        QVERIFY(!typesetter.isEngineRunning()); // nothing is loaded before the first formula
        QCOMPARE(typesetter.result(QStringLiteral("\\frac{a}{b}"), false).state, MathTypesetter::State::Pending);
        QVERIFY(typesetter.isEngineRunning());
        QCOMPARE(typesetter.result(QStringLiteral("\\frac{a}{b}"), false).state, MathTypesetter::State::Pending);
        QTRY_COMPARE_WITH_TIMEOUT(typeset.size(), 1, kEngineTimeout);

        const MathTypesetter::Result ready = typesetter.result(QStringLiteral("\\frac{a}{b}"), false);
        QCOMPARE(ready.state, MathTypesetter::State::Ready);
        QVERIFY(ready.svg.startsWith("<svg"));
        QVERIFY(ready.box.isValid());
        QVERIFY(ready.box.depth > 0); // a fraction reaches below the baseline
        // Display and inline are kept apart; a display formula is typeset again.
        QCOMPARE(typesetter.result(QStringLiteral("\\frac{a}{b}"), true).state, MathTypesetter::State::Pending);
        QTRY_COMPARE_WITH_TIMEOUT(typeset.size(), 2, kEngineTimeout);

        typesetter.setIdleInterval(50);
        typesetter.result(QStringLiteral("x"), false);
        QTRY_COMPARE_WITH_TIMEOUT(stopped.size(), 1, kEngineTimeout);
        QVERIFY(!typesetter.isEngineRunning());
        // What was typeset stays known without the engine.
        QCOMPARE(typesetter.result(QStringLiteral("\\frac{a}{b}"), false).state, MathTypesetter::State::Ready);
        QVERIFY(!typesetter.isEngineRunning());
    }

    void placesTheSvgOnTheBaseline()
    {
        // As MathJax writes a fraction: 2.395 ex high, 0.798 ex of it below the baseline.
        const QByteArray svg = R"(<svg style="vertical-align: -0.798ex;" xmlns="http://www.w3.org/2000/svg" )"
                               R"(width="1.842ex" height="2.395ex" viewBox="0 -705.8 814.1 1058.6"><g/></svg>)";
        const MathSvgBox box = readMathSvgBox(svg);
        QCOMPARE(box.width, 1.842);
        QCOMPARE(box.height, 2.395);
        QCOMPARE(box.depth, 0.798);
        const MathPlacement placement = placeMathSvg(box, 8);
        QCOMPARE(placement.size, QSizeF(1.842 * 8, 2.395 * 8));
        QCOMPARE(placement.ascent, (2.395 - 0.798) * 8);

        // In a laid-out line, Qt puts the object where its baseline meets the text's.
        MessageContent content(QStringLiteral("so $\\frac{a}{b}$ and x"), false);
        content.setLayoutWidth(400);
        waitForFormulas();
        MarkdownView *view = viewOf(content);
        QVERIFY(view);
        const QList<QTextCharFormat> formats = formulaFormats(view->document());
        QCOMPARE(formats.size(), 1);
        const QFont font = formats.first().font();
        auto *handler = view->document()->documentLayout()->handlerForObject(FormulaObject::kObjectType);
        const QSizeF size = handler->intrinsicSize(view->document(), 3, formats.first());
        view->document()->documentLayout()->blockBoundingRect(view->document()->begin()); // lays it out
        const QTextLayout *layout = view->document()->begin().layout();
        QCOMPARE(layout->lineCount(), 1);
        const QTextLine line = layout->lineAt(0);
        const QFontMetricsF metrics(font);
        QCOMPARE(line.ascent(), qMax(metrics.ascent(), FormulaObject::objectAscent(size.height(), font)));
        // Qt keeps line metrics in 1/64 pixel.
        QVERIFY(qAbs(line.descent()
                     - qMax(metrics.descent(), size.height() - FormulaObject::objectAscent(size.height(), font)))
                < 1.0 / 32);
        // The fraction is taller than the text: it sets the line's height.
        QVERIFY(line.height() > metrics.height());
    }

    void rejectedFormulaShowsItsSourceInCodeStyle()
    {
        const QString source = QStringLiteral("$x^{2}^{3}$");
        MessageContent content(QStringLiteral("bad ") + source + QStringLiteral(" here"), false);
        content.setLayoutWidth(400);
        waitForFormulas();
        MarkdownView *view = viewOf(content);
        QCOMPARE(MathTypesetter::shared()->result(QStringLiteral("x^{2}^{3}"), false).state,
                 MathTypesetter::State::Failed);
        const QList<QTextCharFormat> formats = formulaFormats(view->document());
        QCOMPARE(formats.size(), 1);
        auto *handler = view->document()->documentLayout()->handlerForObject(FormulaObject::kObjectType);
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPixelSize(formats.first().font().pixelSize() - 1);
        QCOMPARE(handler->intrinsicSize(view->document(), 4, formats.first()).width(),
                 QFontMetricsF(mono).horizontalAdvance(source) + 4);
        QCOMPARE(content.plainText(), QStringLiteral("bad ") + source + QStringLiteral(" here"));
    }

    void copyGivesTheSource()
    {
        const QString raw = QStringLiteral("Energy $E = mc^2$ and \\(a^2\\),\n$$\\sum_{i=1}^{n} i$$\nthen\n\n"
                                           "| x | $x^2$ |\n|---|---|\n| 2 | 4 |\n\ncosts $5 and $10.");
        MessageContent content(raw, false);
        content.setLayoutWidth(400);
        waitForFormulas();
        QCOMPARE(content.raw(), raw);
        MarkdownView *view = viewOf(content);
        view->selectAll();
        const std::unique_ptr<QMimeData> copied(view->mimeDataOfSelection());
        QCOMPARE(copied->text(), QStringLiteral("Energy $E = mc^2$ and \\(a^2\\),\n$$\\sum_{i=1}^{n} i$$\nthen"));
        QVERIFY(content.plainText().contains(QStringLiteral("$x^2$")));
        QVERIFY(content.plainText().endsWith(QStringLiteral("costs $5 and $10.")));
        // Part of a line: the formula inside the selection comes whole.
        QTextCursor part(view->document());
        part.setPosition(7);
        part.setPosition(9, QTextCursor::KeepAnchor);
        view->setTextCursor(part);
        const std::unique_ptr<QMimeData> piece(view->mimeDataOfSelection());
        QCOMPARE(piece->text(), QStringLiteral("$E = mc^2$ "));
    }

    void streamOfFormulasThroughTheContent()
    {
        QString answer;
        for (int i = 0; i < 200; ++i) {
            answer += QStringLiteral("Step %1: $x_{%2} = \\frac{%1}{%2}$ costs $%1 each.").arg(i % 10).arg(i % 7);
            answer += i % 20 == 19 ? QStringLiteral("\n$$\\sum_{k=1}^{%1} k^2$$\n\n").arg(i) : QStringLiteral(" ");
        }
        MessageContent content(QString(), false);
        content.setLayoutWidth(500);
        content.setStreaming(true);
        for (const QString &prefix : prefixesOf(answer, 37))
            content.setRaw(prefix);
        content.setStreaming(false);
        waitForFormulas();
        QCOMPARE(content.raw(), answer);
        // Copying all of it gives the answer, formulas as written (paragraphs one line feed apart).
        QCOMPARE(content.plainText(), answer.trimmed().replace(QStringLiteral("\n\n"), QStringLiteral("\n")));
        int formulas = 0;
        for (QWidget *entry : content.entries()) {
            for (const QTextCharFormat &format : formulaFormats(qobject_cast<MarkdownView *>(entry)->document())) {
                ++formulas;
                QCOMPARE(MathTypesetter::shared()
                             ->result(format.stringProperty(FormulaObject::kTexProperty),
                                      format.boolProperty(FormulaObject::kDisplayProperty))
                             .state,
                         MathTypesetter::State::Ready);
            }
        }
        QCOMPARE(formulas, 210);
        // Heights follow the typeset formulas: taller than the bare text lines.
        QVERIFY(content.contentHeight() > 0);
    }
};

QTEST_MAIN(TestContentViews)
#include "tst_contentviews.moc"
