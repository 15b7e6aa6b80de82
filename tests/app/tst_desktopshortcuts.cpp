// On X11 with the window manager holding Alt+Space, a desktop that offers the
// GlobalShortcuts portal takes the launch hotkey over: no notice, and its
// activation opens the panel, which follows the desktop's switch between
// light and dark. The real xdg-desktop-portal runs, with the test's backend
// standing in for the desktop.
#include "support/PortalDesktop.h"
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"

#include <QTest>

namespace {
constexpr int kTimeout = 30000; // generous: a loaded machine and sanitizers
} // namespace

class TestDesktopShortcuts : public XSessionTest
{
    Q_OBJECT

public:
    TestDesktopShortcuts()
        : XSessionTest(QStringLiteral(OPENBOX_RC_ALT_SPACE))
    {
    }

private Q_SLOTS:
    void portalTakesOverARefusedGrab();
    void declinedShortcutIsTold();
};

void TestDesktopShortcuts::portalTakesOverARefusedGrab()
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
    QCOMPARE(desktop.bound(), QStringList{QStringLiteral("launch=ALT+space")});
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice-checked")), 1, kTimeout);
    QCOMPARE(tarnwick.count(QStringLiteral("hotkey-notice")), 0);

    const quint32 panel = tarnwick.windowId(QStringLiteral("launcher-window"));
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

void TestDesktopShortcuts::declinedShortcutIsTold()
{
    PortalDesktop desktop({QStringLiteral("--decline")});
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    TarnwickProcess tarnwick(session());
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-declined")), 1, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-notice")), 1, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(tarnwick.windowId(QStringLiteral("launcher-window"))), kTimeout);
}

QTEST_GUILESS_MAIN(TestDesktopShortcuts)
#include "tst_desktopshortcuts.moc"
