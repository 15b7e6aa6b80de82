#include "content/MarkdownView.h"
#include "content/MessageContent.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

namespace {

QString paragraphs(int first, int count)
{
    QString text;
    for (int index = first; index < first + count; ++index)
        text += QStringLiteral("Paragraph %1 of the answer.\n\n").arg(index);
    return text;
}

} // namespace

class TestMessageList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectingAcrossParagraphsKeepsFollowingTheBottom();
};

void TestMessageList::selectingAcrossParagraphsKeepsFollowingTheBottom()
{
    MessageListView list;
    list.resize(420, 300);
    ChatMessage answer(ChatMessage::Role::Assistant, paragraphs(0, 30), std::nullopt, QStringLiteral("image/png"), true);
    list.setMessages({ChatMessage(ChatMessage::Role::User, QStringLiteral("Tell me")), answer});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QScrollBar *bar = list.verticalScrollBar();
    QTRY_COMPARE(bar->value(), bar->maximum());

    // Drag a selection over several paragraphs of the answer on screen.
    auto *view = qobject_cast<MarkdownView *>(list.bubbleAt(1)->content()->entries().constFirst());
    QVERIFY(view);
    QWidget *surface = view->viewport();
    const QPoint visibleTop = surface->mapFrom(list.viewport(), QPoint(40, 20));
    QTest::mousePress(surface, Qt::LeftButton, {}, visibleTop);
    QTest::mouseMove(surface, visibleTop + QPoint(60, 120));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, visibleTop + QPoint(60, 120));
    const QString selected = view->textCursor().selectedText();
    QVERIFY2(selected.count(QChar::ParagraphSeparator) >= 2, qPrintable(selected));

    // Ctrl+C copies the selection as plain text.
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QApplication::clipboard()->text();
    QVERIFY(copied.contains(QLatin1String("of the answer.\nParagraph")));

    // With the selection made, the answer grows and the view still follows it.
    answer.content += paragraphs(30, 10);
    list.updateMessage(1, answer);
    QTRY_COMPARE(bar->value(), bar->maximum());
    QVERIFY(view->textCursor().hasSelection());

    // Scrolled up it stays; back at the bottom it follows again.
    bar->setValue(0);
    answer.content += paragraphs(40, 10);
    list.updateMessage(1, answer);
    QCOMPARE(bar->value(), 0);
    bar->setValue(bar->maximum());
    answer.content += paragraphs(50, 10);
    list.updateMessage(1, answer);
    QTRY_COMPARE(bar->value(), bar->maximum());
}

QTEST_MAIN(TestMessageList)
#include "tst_messagelist.moc"
