// SPDX-License-Identifier: GPL-3.0-or-later
// The tray program on Wayland: Weston (on the test's X server for typed keys,
// or headless) or a headless Sway, the program with no X display at all. It starts and tells that global hotkeys need
// the desktop, `tarnwick --toggle` shows and hides the panel and hands the desktop's activation token on, typed keys
// reach the input field (sent to a local server here, which shows what arrived), Esc hides, Settings opens, SIGTERM
// quits. With the desktop's GlobalShortcuts portal the hotkey is the
// desktop's, and its activation opens the panel with the token it brings;
// the screenshot shortcut takes its picture through the Screenshot portal.
// Every X11 call of the program is behind a check of the platform; with
// no DISPLAY an unguarded one could not reach a server anyway.
#include "app/InstanceRequest.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "support/LoopbackServer.h"
#include "support/PortalDesktop.h"
#include "support/TarnwickProcess.h"
#include "support/WaylandSession.h"
#include "support/XSession.h"

#include <QTest>

#include <memory>

namespace {

constexpr int kTimeout = 30000; // generous: a loaded machine and sanitizers

ScriptedResponse localAnswer()
{
    ScriptedResponse answer;
    answer.headers = {{"Content-Type", "text/event-stream"}};
    answer.writes = {
        {"data: {\"id\":\"c\",\"object\":\"chat.completion.chunk\",\"model\":\"m\",\"choices\":[{\"index\":0,"
         "\"delta\":{\"role\":\"assistant\",\"content\":\"Hi\"},\"finish_reason\":\"stop\"}]}\n\n"
         "data: [DONE]\n\n",
         0}};
    return answer;
}

// The program asks a local model at the loopback server.
void answerFrom(LoopbackServer &server, TarnwickProcess &tarnwick)
{
    server.enqueue(localAnswer());
    tarnwick.setEnvironmentVariable(QStringLiteral("TARNWICK_LOCAL_BASE_URL"),
                                    server.baseUrl() + QStringLiteral("/v1"));
    UserDefaults defaults(tarnwick.home() + QStringLiteral("/config/Tarnwick/preferences.json"));
    QVERIFY(defaults.set(Preferences::selectedProvider, QStringLiteral("Local")));
    QVERIFY(defaults.set(Preferences::selectedLocalModel, QStringLiteral("m")));
}

void quitsCleanly(TarnwickProcess &tarnwick)
{
    tarnwick.process().terminate();
    QVERIFY(tarnwick.process().waitForFinished(kTimeout));
    tarnwick.count(QStringLiteral("quit")); // its last words reach the log
    QCOMPARE(tarnwick.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(tarnwick.process().exitCode(), 0);
}

} // namespace

class TestWaylandSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestLines_data();
    void requestLines();
    void startToggleTypeEscapeQuit();
    void headless_data();
    void headless();
    void desktopShortcutOpensThePanel();
};

void TestWaylandSession::requestLines_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("received");
    QTest::newRow("no token") << QString() << QByteArray("toggle") << QString();
    QTest::newRow("a desktop's token") << QStringLiteral("kwin-0f3e_1/x:2") << QByteArray("toggle kwin-0f3e_1/x:2")
                                       << QStringLiteral("kwin-0f3e_1/x:2");
    QTest::newRow("a token with a space stays home") << QStringLiteral("a b") << QByteArray("toggle") << QString();
    QTest::newRow("a token with a line break stays home")
        << QStringLiteral("a\nopen") << QByteArray("toggle") << QString();
    QTest::newRow("a token longer than a request may be stays home")
        << QString(InstanceRequest::maxLineLength, QLatin1Char('t')) << QByteArray("toggle") << QString();
}

void TestWaylandSession::requestLines()
{
    QFETCH(QString, token);
    QFETCH(QByteArray, line);
    QFETCH(QString, received);
    const QByteArray encoded = InstanceRequest{QStringLiteral("toggle"), token}.encode();
    QCOMPARE(encoded, line);
    const InstanceRequest decoded = InstanceRequest::decode(QString::fromLatin1(encoded));
    QCOMPARE(decoded.name, QStringLiteral("toggle"));
    QCOMPARE(decoded.activationToken, received);
}

void TestWaylandSession::startToggleTypeEscapeQuit()
{
    if (!WaylandSession::installed(WaylandSession::Compositor::Weston))
        QSKIP("weston is not installed (scripts/setup installs it)");
    XSession x;
    QVERIFY2(x.problem().isEmpty(), qPrintable(x.problem()));
    WaylandSession weston(x);
    QVERIFY2(weston.problem().isEmpty(), qPrintable(weston.problem()));

    LoopbackServer server;
    TarnwickProcess tarnwick(weston);
    answerFrom(server, tarnwick);

    // No global hotkeys without the desktop's portal: the first start says so
    // with the panel open.
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > 0, kTimeout);

    QCOMPARE(tarnwick.runCommand({"--toggle"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-hidden")), 1, kTimeout);
    const int exposed = tarnwick.count(QStringLiteral("launcher-exposed"));

    tarnwick.setEnvironmentVariable(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("token-of-the-launcher"));
    QCOMPARE(tarnwick.runCommand({"--toggle"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("activation-token")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > exposed, kTimeout);

    // Weston's window on the X server has the keyboard; it hands the keys to
    // the panel, which it activated when it was mapped.
    QTRY_VERIFY_WITH_TIMEOUT(x.activeWindow() != 0, kTimeout);
    QTest::qWait(500);
    x.run(QStringLiteral("xdotool"), {"type", "--delay", "40", "hello wayland"});
    x.run(QStringLiteral("xdotool"), {"key", "Return"});
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kTimeout);
    QVERIFY2(server.requests().first().body.contains("\"text\":\"hello wayland\""),
             server.requests().first().body.constData());

    x.run(QStringLiteral("xdotool"), {"key", "Escape"});
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-hidden")), 2, kTimeout);
    QCOMPARE(tarnwick.runCommand({"--settings"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.windowId(QStringLiteral("settings-window")) != 0, kTimeout);
    quitsCleanly(tarnwick);
}

void TestWaylandSession::headless_data()
{
    QTest::addColumn<bool>("sway");
    QTest::newRow("weston, no seat") << false;
    QTest::newRow("sway, a virtual keyboard") << true;
}

// A compositor with no screen, as on a build machine: the panel opens and
// closes on request and the program quits cleanly. Sway takes keys from a
// virtual keyboard, and a panel shown again gets them as a new window does.
void TestWaylandSession::headless()
{
    QFETCH(bool, sway);
    const auto compositor = sway ? WaylandSession::Compositor::Sway : WaylandSession::Compositor::Weston;
    if (!WaylandSession::installed(compositor))
        QSKIP("the compositor is not installed (scripts/setup installs it)");
    WaylandSession wayland(compositor);
    QVERIFY2(wayland.problem().isEmpty(), qPrintable(wayland.problem()));

    LoopbackServer server;
    TarnwickProcess tarnwick(wayland);
    answerFrom(server, tarnwick);
    tarnwick.start();
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > 0, kTimeout);
    QCOMPARE(tarnwick.runCommand({"--toggle"}), 0);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-hidden")), 1, kTimeout);
    const int exposed = tarnwick.count(QStringLiteral("launcher-exposed"));
    QCOMPARE(tarnwick.runCommand({"--toggle"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > exposed, kTimeout);

    if (sway) {
        // The virtual keyboard waits a moment first: the panel binds a
        // keyboard only once the seat has one.
        QVERIFY(wayland.type({"-s", "1500", "-d", "30", "hello sway", "-k", "Return"}));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, kTimeout);
        QVERIFY2(server.requests().first().body.contains("\"text\":\"hello sway\""),
                 server.requests().first().body.constData());
        QVERIFY(wayland.type({"-s", "1000", "-k", "Escape"}));
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-hidden")), 2, kTimeout);
    }
    quitsCleanly(tarnwick);
}

void TestWaylandSession::desktopShortcutOpensThePanel()
{
    if (!WaylandSession::installed(WaylandSession::Compositor::Weston))
        QSKIP("weston is not installed (scripts/setup installs it)");
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    XSession x;
    QVERIFY2(x.problem().isEmpty(), qPrintable(x.problem()));
    WaylandSession weston(x);
    QVERIFY2(weston.problem().isEmpty(), qPrintable(weston.problem()));

    TarnwickProcess tarnwick(weston);
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice-checked")), 1, kTimeout);
    QCOMPARE(tarnwick.count(QStringLiteral("hotkey-notice")), 0);
    QCOMPARE(tarnwick.count(QStringLiteral("launcher-exposed")), 0);

    desktop.activate(QStringLiteral("launch"), QStringLiteral("token-from-the-desktop"));
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("activation-token")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > 0, kTimeout);
    desktop.activate(QStringLiteral("launch"));
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-hidden")), 1, kTimeout);

    const int exposed = tarnwick.count(QStringLiteral("launcher-exposed"));
    desktop.activate(QStringLiteral("screenshot"));
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("screenshot-captured")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launcher-exposed")) > exposed, kTimeout);
}

QTEST_GUILESS_MAIN(TestWaylandSession)
#include "tst_waylandsession.moc"
