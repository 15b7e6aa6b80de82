// SPDX-License-Identifier: GPL-3.0-or-later
// Regenerate and Edit from the panel: the hover buttons and the keys, against
// a loopback provider, with the session's real history store.
#include "launcher/CaptionStrip.h"
#include "launcher/LauncherView.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "launcher/InputBar.h"
#include "launcher/MultilineTextField.h"
#include "services/KeychainHelper.h"
#include "support/AnswerWait.h"
#include "support/IsolatedSession.h"
#include "support/LoopbackServer.h"
#include "support/ProviderEvents.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace {

using Action = MessageBubbleActions::Action;

// Stands in for the panel window: counts the Escapes the view leaves alone.
class Host : public QWidget
{
public:
    int escapes = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            ++escapes;
    }
};

struct Launcher : IsolatedSession
{
    LoopbackServer server;
    Host host;
    LauncherView *view = new LauncherView(session, &host);
    MultilineTextField *field = view->inputBar()->field();

    Launcher()
    {
        qputenv("TARNWICK_GEMINI_BASE_URL", server.baseUrl().toUtf8());
        host.resize(700, 540);
        view->resize(700, 540);
        host.show();
        QApplication::setActiveWindow(&host);
        field->setFocus();
    }

    // Types a prompt and waits for its whole answer.
    bool ask(const QString &prompt, const QByteArray &answer)
    {
        server.enqueue(ScriptedResponse::withBody(200, geminiEvent(answer) + geminiFinish()));
        QTest::keyClicks(field, prompt);
        QTest::keyClick(field, Qt::Key_Return);
        return vm.isLoading() && waitForAnswer(vm);
    }

    QStringList texts() const
    {
        QStringList out;
        for (const ChatMessage &message : vm.messages())
            out.append(message.content);
        return out;
    }
};

} // namespace

class TestLauncherActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("test-key")))
            QSKIP("no key store answers in this session");
    }
    void ctrlRRegeneratesOnlyWhenIdle();
    void upEditsAndEscapeBacksOut();
    void hoverButtonsRegenerateAndEdit();
};

void TestLauncherActions::ctrlRRegeneratesOnlyWhenIdle()
{
    Launcher l;
    QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier); // nothing to regenerate yet
    QVERIFY(l.vm.messages().isEmpty());
    QVERIFY(l.ask(QStringLiteral("one"), "first"));

    ScriptedResponse stalled = ScriptedResponse::withBody(200, geminiEvent("again"));
    stalled.ending = ScriptedResponse::Ending::Stall;
    l.server.enqueue(stalled);
    QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(l.vm.isLoading());
    QTRY_COMPARE(l.texts(), QStringList({"one", "again"}));
    QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier); // streaming: no second request
    QCOMPARE(l.server.requests().size(), 2);
    QTest::keyClick(l.field, Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(!l.vm.isLoading());
    QCOMPARE(l.view->messageList()->messageCount(), 2);
}

void TestLauncherActions::upEditsAndEscapeBacksOut()
{
    Launcher l;
    QVERIFY(l.ask(QStringLiteral("one"), "first"));
    QVERIFY(l.ask(QStringLiteral("two"), "second"));

    // Up in a field with text moves the caret, as ever.
    QTest::keyClicks(l.field, QStringLiteral("x"));
    QTest::keyClick(l.field, Qt::Key_Up);
    QVERIFY(!l.vm.isEditing());
    QTest::keyClick(l.field, Qt::Key_Backspace);

    QTest::keyClick(l.field, Qt::Key_Up);
    QVERIFY(l.vm.isEditing());
    QCOMPARE(l.field->text(), QStringLiteral("two"));
    QCOMPARE(l.field->textCursor().position(), 3);
    QVERIFY(l.view->editingStrip()->isVisible());

    // The first Escape ends the Edit and nothing else; the next one reaches the panel.
    QTest::keyClick(l.field, Qt::Key_Escape);
    QVERIFY(!l.vm.isEditing());
    QCOMPARE(l.host.escapes, 0);
    QVERIFY(l.field->text().isEmpty());
    QVERIFY(!l.view->editingStrip()->isVisible());
    QCOMPARE(l.texts(), QStringList({"one", "first", "two", "second"}));
    QTest::keyClick(l.field, Qt::Key_Escape);
    QCOMPARE(l.host.escapes, 1);

    // Sending the edited prompt replaces it and its answer, on screen too.
    QTest::keyClick(l.field, Qt::Key_Up);
    QTest::keyClicks(l.field, QStringLiteral(" more"));
    QVERIFY(l.ask(QString(), "third"));
    QCOMPARE(l.texts(), QStringList({"one", "first", "two more", "third"}));
    QCOMPARE(l.view->messageList()->messageCount(), 4);
    QCOMPARE(l.view->messageList()->bubbleAt(2)->message().content, QStringLiteral("two more"));
    QVERIFY(!l.view->editingStrip()->isVisible());
}

void TestLauncherActions::hoverButtonsRegenerateAndEdit()
{
    Launcher l;
    QVERIFY(l.ask(QStringLiteral("one"), "first"));
    MessageListView *list = l.view->messageList();
    QCOMPARE(list->bubbleAt(1)->actions(), Action::Copy | Action::Regenerate);
    QCOMPARE(list->bubbleAt(0)->actions(), MessageBubbleActions::Actions(Action::Edit));

    l.server.enqueue(ScriptedResponse::withBody(200, geminiEvent("better") + geminiFinish()));
    list->bubbleAt(1)->actionRow()->button(Action::Regenerate)->click();
    QTRY_VERIFY(!l.vm.isLoading());
    QCOMPARE(l.texts(), QStringList({"one", "better"}));
    QCOMPARE(list->bubbleAt(1)->message().content, QStringLiteral("better"));

    list->bubbleAt(0)->actionRow()->button(Action::Edit)->click();
    QVERIFY(l.vm.isEditing());
    QCOMPARE(l.field->text(), QStringLiteral("one"));
    QVERIFY(l.field->hasFocus());
}

QTEST_MAIN(TestLauncherActions)
#include "tst_launcheractions.moc"
