// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop whose window manager holds Alt+Space, as Openbox, Mutter, Xfwm and
// KWin do as they come. On the first run the user is told at once; a desktop
// that offers the GlobalShortcuts portal takes the launch hotkey over instead:
// no notice, and its activation opens the panel, which follows the desktop's
// switch between light and dark. The real xdg-desktop-portal runs, with the
// test's backend standing in for the desktop.
#include "support/NotificationRecorder.h"
#include "support/PortalDesktop.h"
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"

#include <QElapsedTimer>
#include <QTest>

class TestTakenHotkey : public XSessionTest
{
    Q_OBJECT

public:
    TestTakenHotkey()
        : XSessionTest(QStringLiteral(OPENBOX_RC_ALT_SPACE))
    {
    }

private:
    // The trace events and the window this test waits for.
    static inline const QString kNotice = QStringLiteral("hotkey-notice");
    static inline const QString kChecked = QStringLiteral("hotkey-notice-checked");
    static inline const QString kPanel = QStringLiteral("launcher-window");

private Q_SLOTS:
    void toldOnceByNotificationAndPanel()
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
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(tarnwick.windowId(kPanel)), kTimeout);

        // The next login with the same binding, still taken: nothing more.
        tarnwick.process().terminate();
        QVERIFY(tarnwick.process().waitForFinished(kTimeout));
        tarnwick.start();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kChecked), 2, kTimeout);
        QCOMPARE(tarnwick.count(kNotice), 1);
        QCOMPARE(notifications.received().size(), 1);
        QVERIFY(!session().isViewable(tarnwick.windowId(kPanel)));
    }

    void withoutNotificationServerThePanelStillTells()
    {
        TarnwickProcess tarnwick(session());
        tarnwick.start();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kNotice), 1, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice-balloon")), 1, kTimeout);
        // Only the taken hotkey is lost; the screenshot one works.
        QCOMPARE(tarnwick.count(QStringLiteral("hotkey-launch-active")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(tarnwick.windowId(kPanel)), kTimeout);
    }

    void portalTakesOverARefusedGrab()
    {
        PortalDesktop desktop;
        if (!desktop.problem().isEmpty())
            QSKIP(qPrintable(desktop.problem()));
        TarnwickProcess tarnwick(session());
        tarnwick.start();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-pending")), 1, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
        // The screenshot hotkey is free: Tarnwick grabs it itself, the desktop is not asked.
        QCOMPARE(tarnwick.count(QStringLiteral("hotkey-screenshot-active")), 1);
        QCOMPARE(desktop.bound(), QStringList{"launch=ALT+space"});
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kChecked), 1, kTimeout);
        QCOMPARE(tarnwick.count(kNotice), 0);

        const quint32 panel = tarnwick.windowId(kPanel);
        desktop.activate(QStringLiteral("launch"), QStringLiteral("token-from-the-desktop"));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(panel), kTimeout);

        // The open panel follows the desktop's switch between light and dark.
        desktop.setColorScheme(1);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("appearance dark")), 1, kTimeout);
        const int toolkit = tarnwick.count(QStringLiteral("appearance toolkit"));
        desktop.setColorScheme(0);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("appearance toolkit")), toolkit + 1, kTimeout);

        desktop.activate(QStringLiteral("launch"));
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(panel), kTimeout);
    }

    void declinedShortcutIsTold()
    {
        PortalDesktop desktop({"--decline"});
        if (!desktop.problem().isEmpty())
            QSKIP(qPrintable(desktop.problem()));
        TarnwickProcess tarnwick(session());
        tarnwick.start();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-declined")), 1, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kNotice), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(tarnwick.windowId(kPanel)), kTimeout);
    }
};

QTEST_GUILESS_MAIN(TestTakenHotkey)
#include "tst_takenhotkey.moc"
