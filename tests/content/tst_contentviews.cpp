#include "content/CodeBlockView.h"
#include "content/HoverScrollBar.h"
#include "content/MarkdownTableView.h"
#include "content/MessageContent.h"
#include "content/ProseView.h"
#include "content/SyntaxColoredCodeView.h"
#include "text/GrowingText.h"
#include "text/MarkdownBlockReader.h"
#include "text/SyntaxColoring.h"
#include "ui/CodeBlockColors.h"
#include "ui/LauncherColors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScrollBar>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTextBlock>

#include <cmath>

namespace {

// The text of a document with what its characters look like, merged into runs.
QStringList describe(const QTextDocument *document)
{
    QStringList runs;
    QString last;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const QString look = QStringLiteral("w%1 i%2 s%3 a%4 m%5 c%6")
                                     .arg(f.fontWeight())
                                     .arg(f.fontItalic())
                                     .arg(f.fontStrikeOut())
                                     .arg(f.anchorHref())
                                     .arg(f.fontFixedPitch() || f.font().fixedPitch())
                                     .arg(f.foreground().color().name());
            for (QChar c : fragment.text()) {
                if (look != last || runs.isEmpty()) {
                    runs.append(look + QLatin1Char('|'));
                    last = look;
                }
                runs.last().append(c);
            }
        }
        if (block.next().isValid())
            runs.last().append(QLatin1Char('\n'));
    }
    return runs;
}

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
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)), float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

} // namespace

class TestContentViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamedProseLooksLikeOnePass_data();
    void streamedProseLooksLikeOnePass();
    void streamedCodeIsColouredLikeOnePass_data();
    void streamedCodeIsColouredLikeOnePass();
    void streamingTouchesOnlyTheLastEntry();
    void blankMessagesShowNothing();
    void codeBlockLabelAndCopy();
    void codeReadsInBothAppearances_data();
    void codeReadsInBothAppearances();
    void wideCodeScrollsSideways();
    void deletedUnderThePointer_data();
    void deletedUnderThePointer();
};

void TestContentViews::streamedProseLooksLikeOnePass_data()
{
    addFragmentRows({1, 3, 17});
}

void TestContentViews::streamedProseLooksLikeOnePass()
{
    QFETCH(int, fragment);
    const QString text = QString::fromUtf8(kMarkdown);
    ProseView streamed;
    for (const QString &prefix : prefixesOf(text, fragment))
        streamed.setRawText(prefix);
    ProseView whole;
    whole.setRawText(text);
    QCOMPARE(describe(streamed.document()), describe(whole.document()));
    QVERIFY(describe(whole.document()).join(QString()).contains(QLatin1String("# not a heading")));
}

void TestContentViews::streamedCodeIsColouredLikeOnePass_data()
{
    addFragmentRows({1, 4, 9});
}

void TestContentViews::streamedCodeIsColouredLikeOnePass()
{
    QFETCH(int, fragment);
    const QString code = QString::fromUtf8(kCode);
    SyntaxColoredCodeView streamed(QString(), QStringLiteral("js"));
    for (const QString &prefix : prefixesOf(code, fragment))
        streamed.setCode(prefix);
    SyntaxColoredCodeView whole(code, QStringLiteral("js"));
    QCOMPARE(describe(streamed.document()), describe(whole.document()));
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

void TestContentViews::codeReadsInBothAppearances_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

// Every colour of a code block reads at 4.5:1 on what lies beneath it, taken
// from the block as painted on an answer's bubble, and the block stands out.
void TestContentViews::codeReadsInBothAppearances()
{
    QFETCH(bool, dark);
    const LauncherColors colors = LauncherColors::forAppearance(dark);
    // The panel's opaque ground under an answer's bubble.
    const QColor bubble = over(withOpacity(colors.secondary, 0.1), dark ? QColor(36, 36, 41) : QColor(246, 246, 248));
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
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3:1").arg(text.name(), blockFill.name()).arg(ratio)));
        }
    }
    QCOMPARE(seen.size(), 5); // plain text, keywords, strings, comments, numbers
    const QLabel *label = block.findChild<QLabel *>();
    const QColor labelColour = label->palette().color(QPalette::WindowText);
    const double labelRatio = contrast(over(labelColour, headerFill), headerFill);
    QVERIFY2(labelRatio >= 4.5, qPrintable(QStringLiteral("language label: %1:1").arg(labelRatio)));
}

void TestContentViews::streamingTouchesOnlyTheLastEntry()
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

void TestContentViews::blankMessagesShowNothing()
{
    for (const QString &raw : {QString(), QStringLiteral("  \n\n \t")}) {
        MessageContent content(raw, false);
        content.setLayoutWidth(300);
        for (QWidget *entry : content.entries())
            QVERIFY(entry->isHidden());
        QCOMPARE(content.contentHeight(), 0);
    }
}

void TestContentViews::codeBlockLabelAndCopy()
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

void TestContentViews::wideCodeScrollsSideways()
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
    QWheelEvent shifted(QPointF(20, 40), block.mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(block.codeView()->viewport(), &shifted);
    QVERIFY(own->value() > 0);
    QCOMPARE(block.sidewaysBar()->value(), own->value());
    QApplication::sendEvent(&block, &leave);
    QVERIFY(block.sidewaysBar()->isHidden());
}

void TestContentViews::deletedUnderThePointer_data()
{
    QTest::addColumn<bool>("table");
    QTest::newRow("code block") << false;
    QTest::newRow("table") << true;
}

// A block deleted while the pointer rests on it (a new chat clears the answers
// under the mouse) must not let its sideways bar reach the half-destroyed view.
void TestContentViews::deletedUnderThePointer()
{
    QFETCH(bool, table);
    QWidget top;
    top.resize(600, 300);
    QPointer<QWidget> block;
    if (table) {
        auto *view = new MarkdownTableView(&top);
        const QString wide = QStringLiteral("| a | b |\n|---|---|\n| %1 | %1 |\n").arg(QString(300, QLatin1Char('y')));
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

QTEST_MAIN(TestContentViews)
#include "tst_contentviews.moc"
