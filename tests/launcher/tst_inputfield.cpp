// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/MultilineTextField.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

class TestInputField : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void returnSubmitsWithoutBreakingTheLine();
    void shiftReturnBreaksTheLineAtTheCaret();
    void caretIsClampedWhenTextIsReplaced_data();
    void caretIsClampedWhenTextIsReplaced();
    void outsideChangesAreNotReportedAsEdits();
    void pastedStyledTextArrivesPlain();
    void editingShortcutsWorkAndLauncherShortcutsPassThrough();
    void growsBetweenItsLimits();
    void tabIsTypedNotAFocusMove();
};

void TestInputField::returnSubmitsWithoutBreakingTheLine()
{
    MultilineTextField field;
    QSignalSpy submitted(&field, &MultilineTextField::submitted);
    QTest::keyClick(&field, Qt::Key_Return); // empty input still submits
    field.setText(QStringLiteral("hello"));
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClick(&field, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(submitted.count(), 3);
    QCOMPARE(field.text(), QStringLiteral("hello"));
}

void TestInputField::shiftReturnBreaksTheLineAtTheCaret()
{
    MultilineTextField field;
    field.setText(QStringLiteral("abcd"));
    QTextCursor caret = field.textCursor();
    caret.setPosition(2);
    field.setTextCursor(caret);
    QSignalSpy submitted(&field, &MultilineTextField::submitted);
    QSignalSpy edited(&field, &MultilineTextField::textEdited);
    QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(submitted.count(), 0);
    QCOMPARE(field.text(), QStringLiteral("ab\ncd"));
    QVERIFY(!edited.isEmpty());
    QCOMPARE(edited.last().first().toString(), QStringLiteral("ab\ncd"));
}

void TestInputField::caretIsClampedWhenTextIsReplaced_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("expected");
    QTest::newRow("cleared after sending") << 11 << QString() << 0;
    QTest::newRow("shorter text") << 11 << QStringLiteral("abc") << 3;
    QTest::newRow("longer text keeps the caret") << 4 << QStringLiteral("hello world and more") << 4;
}

void TestInputField::caretIsClampedWhenTextIsReplaced()
{
    QFETCH(int, caret);
    QFETCH(QString, replacement);
    QFETCH(int, expected);
    MultilineTextField field;
    field.setText(QStringLiteral("hello world"));
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(caret);
    field.setTextCursor(cursor);
    field.setText(replacement);
    QCOMPARE(field.text(), replacement);
    QCOMPARE(field.textCursor().position(), expected);
    QVERIFY(!field.textCursor().hasSelection());
}

void TestInputField::outsideChangesAreNotReportedAsEdits()
{
    MultilineTextField field;
    field.setPlaceholderText(QStringLiteral("Message Tarnwick…"));
    QSignalSpy edited(&field, &MultilineTextField::textEdited);
    field.setText(QStringLiteral("from the model"));
    QCOMPARE(edited.count(), 0);
    QTest::keyClicks(&field, QStringLiteral("x"));
    QCOMPARE(edited.count(), 1);
    QCOMPARE(field.placeholderText(), QStringLiteral("Message Tarnwick…"));
}

void TestInputField::pastedStyledTextArrivesPlain()
{
    MultilineTextField field;
    auto *styled = new QMimeData;
    styled->setHtml(QStringLiteral("<b>bold</b> and <i>italic</i>"));
    styled->setText(QStringLiteral("bold and italic"));
    QGuiApplication::clipboard()->setMimeData(styled);
    field.paste();
    QCOMPARE(field.text(), QStringLiteral("bold and italic"));
    QVERIFY(!field.document()->toHtml().contains(QLatin1String("font-weight:700")));
}

void TestInputField::editingShortcutsWorkAndLauncherShortcutsPassThrough()
{
    MultilineTextField field;
    QTest::keyClicks(&field, QStringLiteral("abc"));
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field.textCursor().selectedText(), QStringLiteral("abc"));
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(field.text() != QStringLiteral("abc"));
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(field.text(), QStringLiteral("abc"));

    // The field must not claim Ctrl+N and Ctrl+. for itself.
    for (int key : {int(Qt::Key_N), int(Qt::Key_Period)}) {
        QKeyEvent override(QEvent::ShortcutOverride, key, Qt::ControlModifier,
                           key == Qt::Key_N ? QStringLiteral("\x0e") : QStringLiteral("."));
        QApplication::sendEvent(&field, &override);
        QVERIFY(!override.isAccepted());
    }
}

void TestInputField::growsBetweenItsLimits()
{
    MultilineTextField field;
    field.setHeightLimits(28, 120);
    field.resize(300, 28);
    field.show();
    QCOMPARE(field.sizeHint().height(), 28);
    field.setText(QStringLiteral("1\n2\n3"));
    const int three = field.sizeHint().height();
    QVERIFY(three > 28 && three < 120);
    field.setText(QString(QStringLiteral("line\n")).repeated(40));
    QCOMPARE(field.sizeHint().height(), 120);
}

void TestInputField::tabIsTypedNotAFocusMove()
{
    QWidget window;
    auto *field = new MultilineTextField(&window);
    auto *next = new MultilineTextField(&window);
    next->move(0, 100);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(field->hasFocus());
    field->setText(QStringLiteral("ab"));
    QTextCursor caret = field->textCursor();
    caret.setPosition(1);
    field->setTextCursor(caret);
    QTest::keyClick(field, Qt::Key_Tab);
    QCOMPARE(field->text(), QStringLiteral("a\tb"));
    QVERIFY(field->hasFocus());
    QVERIFY(!next->hasFocus());
}

QTEST_MAIN(TestInputField)
#include "tst_inputfield.moc"
