#include "content/FormulaObject.h"
#include "content/MarkdownView.h"
#include "content/MessageContent.h"
#include "math/MathSvg.h"
#include "math/MathTypesetter.h"
#include "text/GrowingText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

class TestFormulas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typesetsCachesAndFreesTheEngine();
    void placesTheSvgOnTheBaseline();
    void rejectedFormulaShowsItsSourceInCodeStyle();
    void copyGivesTheSource();
    void streamOfFormulasThroughTheContent();
};

namespace {

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

void TestFormulas::typesetsCachesAndFreesTheEngine()
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

void TestFormulas::placesTheSvgOnTheBaseline()
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
    QVERIFY(
        qAbs(line.descent() - qMax(metrics.descent(), size.height() - FormulaObject::objectAscent(size.height(), font)))
        < 1.0 / 32);
    // The fraction is taller than the text: it sets the line's height.
    QVERIFY(line.height() > metrics.height());
}

void TestFormulas::rejectedFormulaShowsItsSourceInCodeStyle()
{
    const QString source = QStringLiteral("$x^{2}^{3}$");
    MessageContent content(QStringLiteral("bad ") + source + QStringLiteral(" here"), false);
    content.setLayoutWidth(400);
    waitForFormulas();
    MarkdownView *view = viewOf(content);
    QCOMPARE(MathTypesetter::shared()->result(QStringLiteral("x^{2}^{3}"), false).state, MathTypesetter::State::Failed);
    const QList<QTextCharFormat> formats = formulaFormats(view->document());
    QCOMPARE(formats.size(), 1);
    auto *handler = view->document()->documentLayout()->handlerForObject(FormulaObject::kObjectType);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(formats.first().font().pixelSize() - 1);
    QCOMPARE(handler->intrinsicSize(view->document(), 4, formats.first()).width(),
             QFontMetricsF(mono).horizontalAdvance(source) + 4);
    QCOMPARE(content.plainText(), QStringLiteral("bad ") + source + QStringLiteral(" here"));
}

void TestFormulas::copyGivesTheSource()
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

void TestFormulas::streamOfFormulasThroughTheContent()
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

QTEST_MAIN(TestFormulas)
#include "tst_formulas.moc"
