// The launcher panel's fades, hide paths and size limits (offscreen).
#include "app/LauncherWindow.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "support/IsolatedSession.h"
#include "ui/NoticeCard.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// A panel over a session of its own, in a private home.
struct Panel : IsolatedSession
{
    LauncherWindow window{session};
};

} // namespace

class TestLauncherWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builtHiddenAtItsSize();
    void showDuringFadingHideWins();
    void sessionRequestsAndKeysHide();
    void hotkeyNoticeLeadsToTheRecorder();
};

void TestLauncherWindow::builtHiddenAtItsSize()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    QVERIFY(!window.isVisible());
    QCOMPARE(window.size(), QSize(700, 540));
    QCOMPARE(window.minimumSize(), QSize(480, 380));
    window.resize(300, 200);
    QCOMPARE(window.size(), QSize(480, 380));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
}

void TestLauncherWindow::showDuringFadingHideWins()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    window.animateIn();
    QVERIFY(window.isVisible());
    QTRY_COMPARE(window.windowOpacity(), 1.0);

    window.animateOut();
    QVERIFY(window.isVisible()); // still fading
    window.animateIn();
    // Longer than both fades: the cancelled hide must not land afterwards.
    QTest::qWait(500);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowOpacity(), 1.0);

    // A visible panel shown again fades in again from transparent.
    window.animateIn();
    QVERIFY(window.windowOpacity() < 1.0);
    QTRY_COMPARE(window.windowOpacity(), 1.0);
}

void TestLauncherWindow::sessionRequestsAndKeysHide()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    QSignalSpy settings(&window, &LauncherWindow::settingsRequested);
    QSignalSpy quit(&window, &LauncherWindow::quitRequested);

    Q_EMIT panel.session.showLauncherRequested();
    QVERIFY(window.isVisible());
    Q_EMIT panel.session.hideLauncherRequested();
    QTRY_VERIFY(!window.isVisible());

    window.animateIn();
    // The caret goes to the input field, which leaves these keys to the panel.
    QWidget *input = window.focusWidget();
    QVERIFY(input && window.isAncestorOf(input));
    QTest::keyClick(input, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settings.size(), 1);
    QTest::keyClick(input, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quit.size(), 1);
    QTest::keyClick(input, Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
}

void TestLauncherWindow::hotkeyNoticeLeadsToTheRecorder()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    panel.vm.setMessages({ChatMessage(ChatMessage::Role::User, QStringLiteral("first prompt")),
                          ChatMessage(ChatMessage::Role::Assistant, QStringLiteral("answer"))});
    QSignalSpy choose(&window, &LauncherWindow::chooseHotkeyRequested);
    window.setHotkeyNotice(QStringLiteral("Alt+Space is taken by another program."));
    window.animateIn();
    NoticeCard *notice = window.hotkeyNotice();
    const auto firstMessageTop = [&] {
        const QWidget *bubble = window.findChild<MessageListView *>()->bubbleAt(0);
        return bubble->mapTo(notice->parentWidget(), QPoint(0, 0)).y();
    };
    // The conversation starts below the card, not behind it.
    QTRY_VERIFY(firstMessageTop() > notice->geometry().bottom());
    QVERIFY(notice->isVisible());
    const QLabel *text = notice->findChild<QLabel *>(QStringLiteral("noticeText"));
    QCOMPARE(text->text(), QStringLiteral("Alt+Space is taken by another program."));
    // Over the panel's content, inside its rounded edge, tall enough for its text.
    QVERIFY(notice->geometry().left() > 0 && notice->geometry().right() < notice->parentWidget()->width());
    QTRY_VERIFY(text->height() >= text->heightForWidth(text->width()));

    QTest::mouseClick(notice->findChild<QPushButton *>(QStringLiteral("noticeAction")), Qt::LeftButton);
    QCOMPARE(choose.count(), 1);
    QVERIFY(!notice->isVisible());
    QTRY_VERIFY(firstMessageTop() < notice->geometry().top());

    // Told again, then dismissed: nothing is asked for.
    window.setHotkeyNotice(QStringLiteral("again"));
    QVERIFY(notice->isVisible());
    window.setHotkeyNotice({});
    QVERIFY(!notice->isVisible());
    QCOMPARE(choose.count(), 1);
}

QTEST_MAIN(TestLauncherWindow)
#include "tst_launcherwindow.moc"
