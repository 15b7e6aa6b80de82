// The desktop's GlobalShortcuts portal through the real xdg-desktop-portal,
// with the test's backend standing in for the desktop.
#include "platform/portal/PortalHotkeyBackend.h"
#include "support/PortalDesktop.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using GrabResult = HotkeyBackend::GrabResult;
constexpr int kLaunch = 1;
constexpr int kScreenshot = 2;
constexpr int kTimeout = 20000;
const HotkeyBinding kAltSpace{49, 2048};
const HotkeyBinding kCtrlSuperS{1, 4352};

std::unique_ptr<PortalHotkeyBackend> makeBackend()
{
    return std::make_unique<PortalHotkeyBackend>(QList<HotkeyBackend::Named>{
        {kLaunch, QStringLiteral("launch"), QStringLiteral("Open or close the panel")},
        {kScreenshot, QStringLiteral("screenshot"), QStringLiteral("Take a screenshot")}});
}

// The answers that came for each id, in order.
QList<GrabResult> answersFor(const QSignalSpy &spy, int id)
{
    QList<GrabResult> answers;
    for (const QList<QVariant> &signal : spy) {
        if (signal.at(0).toInt() == id)
            answers << signal.at(1).value<GrabResult>();
    }
    return answers;
}

} // namespace

class TestPortalHotkeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothBoundInOneSessionWithPreferredTriggers();
    void activationCarriesTheToken();
    void triggerChangedOnTheDesktop();
    void rebindAfterRelease();
    void declinedInTheDialog();
};

void TestPortalHotkeys::bothBoundInOneSessionWithPreferredTriggers()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    const auto backend = makeBackend();
    QSignalSpy results(backend.get(), &HotkeyBackend::resultChanged);
    QCOMPARE(backend->grab(kLaunch, kAltSpace), GrabResult::pending);
    QCOMPARE(backend->grab(kScreenshot, kCtrlSuperS), GrabResult::pending);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, kTimeout);
    QCOMPARE(answersFor(results, kLaunch), QList{GrabResult::grabbed});
    QCOMPARE(answersFor(results, kScreenshot), QList{GrabResult::grabbed});
    QCOMPARE(desktop.bound(), (QStringList{QStringLiteral("launch=ALT+space"), QStringLiteral("screenshot=CTRL+LOGO+s")}));
    QCOMPARE(backend->mechanism(kLaunch), HotkeyBackend::Mechanism::desktopShortcut);
    // The desktop's own words for the trigger.
    QCOMPARE(backend->triggerDescription(kLaunch), QStringLiteral("Alt+Space"));
    QCOMPARE(backend->triggerDescription(kScreenshot), QStringLiteral("Ctrl+Super+S"));
}

void TestPortalHotkeys::activationCarriesTheToken()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    const auto backend = makeBackend();
    QSignalSpy results(backend.get(), &HotkeyBackend::resultChanged);
    QSignalSpy pressed(backend.get(), &HotkeyBackend::pressed);
    backend->grab(kLaunch, kAltSpace);
    backend->grab(kScreenshot, kCtrlSuperS);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, kTimeout);

    desktop.activate(QStringLiteral("launch"), QStringLiteral("token-1"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, kTimeout);
    QCOMPARE(pressed.at(0).at(0).toInt(), kLaunch);
    QCOMPARE(pressed.at(0).at(1).toString(), QStringLiteral("token-1"));
    desktop.activate(QStringLiteral("screenshot"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 2, kTimeout);
    QCOMPARE(pressed.at(1).at(0).toInt(), kScreenshot);
    QCOMPARE(pressed.at(1).at(1).toString(), QString());
    // An id the program never asked for is no press.
    desktop.activate(QStringLiteral("other"));
    desktop.activate(QStringLiteral("launch"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 3, kTimeout);
    QCOMPARE(pressed.at(2).at(0).toInt(), kLaunch);
}

void TestPortalHotkeys::triggerChangedOnTheDesktop()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    const auto backend = makeBackend();
    QSignalSpy results(backend.get(), &HotkeyBackend::resultChanged);
    QSignalSpy changed(backend.get(), &HotkeyBackend::triggersChanged);
    backend->grab(kLaunch, kAltSpace);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, kTimeout);
    desktop.change(QStringLiteral("launch"), QStringLiteral("Super+Space"));
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, kTimeout);
    QCOMPARE(backend->triggerDescription(kLaunch), QStringLiteral("Super+Space"));
}

void TestPortalHotkeys::rebindAfterRelease()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    const auto backend = makeBackend();
    QSignalSpy results(backend.get(), &HotkeyBackend::resultChanged);
    QSignalSpy pressed(backend.get(), &HotkeyBackend::pressed);
    backend->grab(kLaunch, kAltSpace);
    backend->grab(kScreenshot, kCtrlSuperS);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, kTimeout);

    // A new binding from Settings: a new session with the new trigger.
    backend->release(kLaunch);
    QCOMPARE(backend->mechanism(kLaunch), HotkeyBackend::Mechanism::none);
    QCOMPARE(backend->grab(kLaunch, HotkeyBinding{40, 0x1800}), GrabResult::pending);
    QTRY_COMPARE_WITH_TIMEOUT(answersFor(results, kLaunch).size(), 2, kTimeout);
    QCOMPARE(answersFor(results, kLaunch).last(), GrabResult::grabbed);
    QVERIFY(desktop.bound().contains(QStringLiteral("launch=CTRL+ALT+k")));
    QCOMPARE(backend->triggerDescription(kLaunch), QStringLiteral("Ctrl+Alt+K"));
    desktop.activate(QStringLiteral("screenshot"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, kTimeout);
}

void TestPortalHotkeys::declinedInTheDialog()
{
    PortalDesktop desktop({QStringLiteral("--decline")});
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    const auto backend = makeBackend();
    QSignalSpy results(backend.get(), &HotkeyBackend::resultChanged);
    QCOMPARE(backend->grab(kLaunch, kAltSpace), GrabResult::pending);
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 1, kTimeout);
    QCOMPARE(answersFor(results, kLaunch), QList{GrabResult::declined});
    QCOMPARE(backend->mechanism(kLaunch), HotkeyBackend::Mechanism::none);
}

QTEST_GUILESS_MAIN(TestPortalHotkeys)
#include "tst_portalhotkeys.moc"
