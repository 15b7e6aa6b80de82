// The first run on a desktop whose window manager holds Alt+Space, as
// Openbox, Mutter, Xfwm and KWin do as they come: the user is told at once.
#include "support/NotificationRecorder.h"
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr int kTimeout = 30000; // generous: a loaded machine and sanitizers
const QString kNotice = QStringLiteral("hotkey-notice");
const QString kChecked = QStringLiteral("hotkey-notice-checked");
} // namespace

class TestFirstRun : public XSessionTest
{
    Q_OBJECT

public:
    TestFirstRun()
        : XSessionTest(QStringLiteral(OPENBOX_RC_ALT_SPACE))
    {
    }

private Q_SLOTS:
    void takenHotkeyIsToldOnceByNotificationAndPanel();
    void withoutNotificationServerThePanelStillTells();

private:
    void quit(TarnwickProcess &tarnwick);
};

void TestFirstRun::quit(TarnwickProcess &tarnwick)
{
    tarnwick.process().terminate();
    QVERIFY(tarnwick.process().waitForFinished(kTimeout));
}

void TestFirstRun::takenHotkeyIsToldOnceByNotificationAndPanel()
{
    NotificationRecorder notifications;
    if (!notifications.problem().isEmpty())
        QSKIP(qPrintable(notifications.problem()));
    TarnwickProcess tarnwick(session());

    QElapsedTimer sinceStart;
    sinceStart.start();
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-taken")), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kNotice), 1, kTimeout);
    qInfo("notice %.0f ms after the program's start, %.0f ms after its launch sequence",
          tarnwick.timeOf(kNotice) - double(sinceStart.msecsSinceReference()),
          tarnwick.timeOf(kNotice) - tarnwick.timeOf(QStringLiteral("launched")));

    QTRY_COMPARE_WITH_TIMEOUT(notifications.received().size(), 1, kTimeout);
    const NotificationRecorder::Notification told = notifications.received().first();
    QCOMPARE(told.appName, QStringLiteral("Tarnwick"));
    QVERIFY2(told.body.contains(QStringLiteral("Alt+Space is taken")), qPrintable(told.body));
    QVERIFY2(told.body.contains(QStringLiteral("tarnwick --toggle")), qPrintable(told.body));
    QCOMPARE(tarnwick.count(QStringLiteral("hotkey-notice-notification")), 1);
    // The panel opened by itself, with the notice in it.
    const quint32 panel = tarnwick.windowId(QStringLiteral("launcher-window"));
    QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(panel), kTimeout);

    // The next login with the same binding, still taken: nothing more.
    quit(tarnwick);
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kChecked), 2, kTimeout);
    QCOMPARE(tarnwick.count(kNotice), 1);
    QCOMPARE(notifications.received().size(), 1);
    QVERIFY(!session().isViewable(tarnwick.windowId(QStringLiteral("launcher-window"))));
}

void TestFirstRun::withoutNotificationServerThePanelStillTells()
{
    TarnwickProcess tarnwick(session());
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kNotice), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice-balloon")), 1, kTimeout);
    // Only the taken hotkey is lost; the screenshot one works.
    QCOMPARE(tarnwick.count(QStringLiteral("hotkey-launch-active")), 0);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(tarnwick.windowId(QStringLiteral("launcher-window"))), kTimeout);
}

QTEST_GUILESS_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
