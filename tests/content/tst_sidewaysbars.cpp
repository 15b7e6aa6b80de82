// Code blocks and tables carry a sideways bar that watches the pointer. One
// deleted while the pointer rests on it (a new chat clears the answers under
// the mouse) must not let the bar reach its half-destroyed view.
#include "content/CodeBlockView.h"
#include "content/MarkdownTableView.h"
#include "text/MarkdownBlockReader.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>

class TestSidewaysBars : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deletedUnderThePointer_data();
    void deletedUnderThePointer();
};

void TestSidewaysBars::deletedUnderThePointer_data()
{
    QTest::addColumn<bool>("table");
    QTest::newRow("code block") << false;
    QTest::newRow("table") << true;
}

void TestSidewaysBars::deletedUnderThePointer()
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

QTEST_MAIN(TestSidewaysBars)
#include "tst_sidewaysbars.moc"
