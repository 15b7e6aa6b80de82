// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's widgets alone: the input field and the message list.
#include "content/MarkdownView.h"
#include "content/MessageContent.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "launcher/MultilineTextField.h"
#include "launcher/ThinkingBlock.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
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

class TestPanelWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void returnSubmitsWithoutBreakingTheLine()
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

    void shiftReturnBreaksTheLineAtTheCaret()
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

    void caretIsClampedWhenTextIsReplaced_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<int>("expected");
        QTest::newRow("cleared after sending") << 11 << QString() << 0;
        QTest::newRow("shorter text") << 11 << QStringLiteral("abc") << 3;
        QTest::newRow("longer text keeps the caret") << 4 << QStringLiteral("hello world and more") << 4;
    }

    void caretIsClampedWhenTextIsReplaced()
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

    void outsideChangesAreNotReportedAsEdits()
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

    void pastedStyledTextArrivesPlain()
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

    void editingShortcutsWorkAndLauncherShortcutsPassThrough()
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

    void growsBetweenItsLimits()
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

    void tabIsTypedNotAFocusMove()
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

    void selectingAcrossParagraphsKeepsFollowingTheBottom()
    {
        MessageListView list;
        list.resize(420, 300);
        ChatMessage answer(ChatMessage::Role::Assistant, paragraphs(0, 30), std::nullopt, QStringLiteral("image/png"),
                           true);
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

    void actionsOnTheLastPromptAndAnswer()
    {
        using Action = MessageBubbleActions::Action;
        using Actions = MessageBubbleActions::Actions;
        using Role = ChatMessage::Role;
        MessageListView list;
        QSignalSpy requested(&list, &MessageListView::actionRequested);
        list.resize(420, 600);
        const QString source = QStringLiteral("## Two\n- **b**");
        QList<ChatMessage> messages = {
            ChatMessage(Role::User, QStringLiteral("one")), ChatMessage(Role::Assistant, QStringLiteral("first")),
            ChatMessage(Role::User, QStringLiteral("two")), ChatMessage(Role::Assistant, source)};
        list.setMessages(messages);
        list.show();
        QCOMPARE(list.bubbleAt(0)->actions(), Actions());
        QCOMPARE(list.bubbleAt(1)->actions(), Actions(Action::Copy));
        QCOMPARE(list.bubbleAt(2)->actions(), Actions(Action::Edit));
        QCOMPARE(list.bubbleAt(3)->actions(), Action::Copy | Action::Regenerate);

        // Hidden until the pointer is over the message, with its room kept.
        MessageBubble *answer = list.bubbleAt(3);
        const int height = answer->height();
        QVERIFY(answer->actionRow()->isHidden());
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), answer->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(answer, &enter);
        QVERIFY(answer->actionRow()->isVisible());
        QCOMPARE(answer->height(), height);

        // Copy takes the Markdown source; the others are asked of the host with the message's place.
        answer->actionRow()->button(Action::Copy)->click();
        QCOMPARE(QApplication::clipboard()->text(), source);
        answer->actionRow()->button(Action::Regenerate)->click();
        list.bubbleAt(2)->actionRow()->button(Action::Edit)->click();
        QCOMPARE(requested.size(), 2);
        QCOMPARE(requested.at(0).at(0).toInt(), 3);
        QCOMPARE(requested.at(0).at(1).value<Action>(), Action::Regenerate);
        QCOMPARE(requested.at(1).at(0).toInt(), 2);
        QCOMPARE(requested.at(1).at(1).value<Action>(), Action::Edit);

        // While an answer streams nothing can be regenerated or edited.
        messages.append(ChatMessage(Role::User, QStringLiteral("three")));
        list.appendMessage(messages.last());
        ChatMessage streaming(Role::Assistant, QStringLiteral("par"), std::nullopt, QStringLiteral("image/png"), true);
        list.appendMessage(streaming);
        QCOMPARE(list.bubbleAt(3)->actions(), Actions(Action::Copy));
        QCOMPARE(list.bubbleAt(4)->actions(), Actions());
        QCOMPARE(list.bubbleAt(5)->actions(), Actions());
        streaming.content += QStringLiteral("tial");
        streaming.isStreaming = false;
        list.updateMessage(5, streaming);
        QCOMPARE(list.bubbleAt(4)->actions(), Actions(Action::Edit));
        QCOMPARE(list.bubbleAt(5)->actions(), Action::Copy | Action::Regenerate);
    }

    // The error of an answer cut short stands on its own line under the text that
    // arrived, inside the same bubble; Copy still takes only the answer.
    void partAnswerShowsItsErrorBeneath()
    {
        using Role = ChatMessage::Role;
        MessageListView list;
        list.resize(420, 600);
        ChatMessage answer(Role::Assistant, QStringLiteral("```\nunclosed code"), std::nullopt,
                           QStringLiteral("image/png"), true);
        list.setMessages({ChatMessage(Role::User, QStringLiteral("one")), answer});
        list.show();
        MessageBubble *bubble = list.bubbleAt(1);
        QVERIFY(!bubble->errorLine() || bubble->errorLine()->isHidden());
        const int before = bubble->height();

        answer.isStreaming = false;
        answer.error = QStringLiteral("The connection was cut.");
        list.updateMessage(1, answer);
        MessageContent *line = bubble->errorLine();
        QVERIFY(line && !line->isHidden());
        QCOMPARE(line->raw(), QStringLiteral("\u26A0\uFE0F The connection was cut."));
        QCOMPARE(bubble->content()->raw(), answer.content); // not inside the open code block
        QVERIFY(line->geometry().top() >= bubble->content()->geometry().bottom());
        QVERIFY(bubble->height() > before);
        bubble->copyText();
        QCOMPARE(QApplication::clipboard()->text(), answer.content);

        // An answer that is only an error shows it as its text, as before.
        list.setMessages({ChatMessage(Role::User, QStringLiteral("one")),
                          ChatMessage(Role::Assistant, QStringLiteral("\u26A0\uFE0F Rate limit exceeded."))});
        QVERIFY(!list.bubbleAt(1)->errorLine());
    }

    // A runaway answer shows its first million characters, cut at a line end,
    // and says so under them while it grows and after the error; Copy takes all of it.
    void hugeAnswerShowsItsBeginning()
    {
        using Role = ChatMessage::Role;
        MessageListView list;
        list.resize(420, 600);
        const QString line = QString(98, QLatin1Char('w')) + QStringLiteral("\n\n");
        ChatMessage answer(Role::Assistant, line.repeated(10'005), std::nullopt, QStringLiteral("image/png"), true);
        list.setMessages({ChatMessage(Role::User, QStringLiteral("one")), answer});
        list.show();
        MessageBubble *bubble = list.bubbleAt(1);
        QCOMPARE(bubble->content()->raw().size(), 1'000'000);
        QVERIFY(bubble->content()->raw().endsWith(QLatin1Char('\n')));
        QVERIFY(bubble->errorLine() && !bubble->errorLine()->isHidden());
        QVERIFY(bubble->errorLine()->raw().contains(QStringLiteral("1,000,500")));

        answer.content += line.repeated(50);
        list.updateMessage(1, answer);
        QCOMPARE(bubble->content()->raw().size(), 1'000'000);
        QVERIFY(bubble->errorLine()->raw().contains(QStringLiteral("1,005,500")));

        answer.isStreaming = false;
        answer.error = QStringLiteral("The answer was too long.");
        list.updateMessage(1, answer);
        QVERIFY(bubble->errorLine()->raw().startsWith(QStringLiteral("*Only the first 1,000,000 of")));
        QVERIFY(bubble->errorLine()->raw().endsWith(QStringLiteral("\u26A0\uFE0F The answer was too long.")));
        bubble->copyText();
        QCOMPARE(QApplication::clipboard()->text().size(), answer.content.size());

        // One endless word is cut at the limit, never between a character pair,
        // and its lines break anywhere: Qt would look for its end on every line.
        answer.content = QString(999'999, QLatin1Char('x')) + QStringLiteral("😀 and more");
        list.updateMessage(1, answer);
        QCOMPARE(bubble->content()->raw().size(), 999'999);
        auto *prose = qobject_cast<MarkdownView *>(bubble->content()->entries().constFirst());
        QVERIFY(prose);
        QCOMPARE(prose->wordWrapMode(), QTextOption::WrapAnywhere);
    }

    // While only reasoning has come, its last lines grow in a "Thinking…" block
    // instead of the typing dots; the answer's first words fold it to one line
    // that a click or Enter opens; the usage shows once the answer is done.
    void reasoningFoldsWhenTheAnswerStarts()
    {
        using Role = ChatMessage::Role;
        MessageListView list;
        list.resize(420, 600);
        ChatMessage answer(Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"), true);
        list.setMessages({ChatMessage(Role::User, QStringLiteral("one")), answer});
        list.show();
        MessageBubble *bubble = list.bubbleAt(1);
        QVERIFY(bubble->showsTypingDots());
        QVERIFY(!bubble->thinkingBlock());

        for (int line = 1; line <= 12; ++line) {
            answer.reasoning += QStringLiteral("Thought number %1.\n").arg(line);
            list.updateMessage(1, answer);
        }
        ThinkingBlock *block = bubble->thinkingBlock();
        QVERIFY(block && block->isVisible());
        QVERIFY(!bubble->showsTypingDots());
        QVERIFY(!bubble->showsBubble());
        QCOMPARE(block->headerText(), QStringLiteral("Thinking…  ▸"));
        QVERIFY(block->shownText().endsWith(QStringLiteral("Thought number 12.")));
        const int folded = block->height();
        QTest::keyClick(block, Qt::Key_Return);
        QVERIFY(block->isExpanded());
        QVERIFY(block->height() > folded);

        answer.reasoningSeconds = 11.6;
        answer.content = QStringLiteral("The answer.");
        list.updateMessage(1, answer);
        QVERIFY(!block->isExpanded());
        QCOMPARE(block->headerText(), QStringLiteral("Thought for 12 s  ▸"));
        QVERIFY(block->shownText().isEmpty());
        QVERIFY(bubble->showsBubble());
        QCOMPARE(bubble->content()->raw(), QStringLiteral("The answer."));
        QVERIFY(block->geometry().bottom() < bubble->content()->mapTo(bubble, QPoint(0, 0)).y());
        QVERIFY(bubble->usageText().isEmpty());
        QTest::mouseClick(block, Qt::LeftButton);
        QCOMPARE(block->shownText(), answer.reasoning.trimmed());

        answer.isStreaming = false;
        answer.usage = LLMUsage{200, 34, 1000, 0.0031};
        list.updateMessage(1, answer);
        QCOMPARE(bubble->usageText(), QStringLiteral("1,234 tokens · $0.0031"));
        bubble->copyText();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("The answer."));

        // Without a cost the tokens stand alone; without usage nothing shows.
        answer.usage->cost.reset();
        list.updateMessage(1, answer);
        QCOMPARE(bubble->usageText(), QStringLiteral("1,234 tokens"));
        list.setMessages(
            {ChatMessage(Role::User, QStringLiteral("one")), ChatMessage(Role::Assistant, QStringLiteral("a"))});
        QVERIFY(list.bubbleAt(1)->usageText().isEmpty());
        QVERIFY(!list.bubbleAt(1)->thinkingBlock());
    }
};

QTEST_MAIN(TestPanelWidgets)
#include "tst_panelwidgets.moc"
