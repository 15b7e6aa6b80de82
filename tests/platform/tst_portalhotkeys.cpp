// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's GlobalShortcuts portal through the real xdg-desktop-portal,
// with the test's backend standing in for the desktop.
#include "platform/portal/PortalHotkeyBackend.h"
#include "support/PortalDesktop.h"

#include <QSignalSpy>
#include <QTest>

#include <optional>

namespace {

using GrabResult = HotkeyBackend::GrabResult;
constexpr int kLaunch = 1;
constexpr int kScreenshot = 2;
constexpr int kTimeout = 20000;
const HotkeyBinding kAltSpace{49, 2048};
const HotkeyBinding kCtrlSuperS{1, 4352};

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

// The test's desktop behind the real portal, and the program's backend asking it.
struct Desktop
{
    explicit Desktop(const QStringList &backendArguments = {})
        : portal(backendArguments)
    {
    }

    // Asks for both shortcuts at their preferred triggers and waits for the answers.
    bool bindBoth()
    {
        backend.grab(kLaunch, kAltSpace);
        backend.grab(kScreenshot, kCtrlSuperS);
        return QTest::qWaitFor([&] { return results.size() == 2; }, kTimeout);
    }

    PortalDesktop portal;
    PortalHotkeyBackend backend{{{kLaunch, QStringLiteral("launch"), QStringLiteral("Open or close the panel")},
                                 {kScreenshot, QStringLiteral("screenshot"), QStringLiteral("Take a screenshot")}}};
    QSignalSpy results{&backend, &HotkeyBackend::resultChanged};
    QSignalSpy pressed{&backend, &HotkeyBackend::pressed};
};

} // namespace

class TestPortalHotkeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void bothBoundInOneSessionAndPressed();
    void triggerChangedOnTheDesktop();
    void rebindAfterRelease();
    void declinedInTheDialog();

private:
    std::optional<Desktop> m_desktop;
};

void TestPortalHotkeys::init()
{
    m_desktop.emplace();
    if (!m_desktop->portal.problem().isEmpty())
        QSKIP(qPrintable(m_desktop->portal.problem()));
}

void TestPortalHotkeys::cleanup()
{
    m_desktop.reset();
}

void TestPortalHotkeys::bothBoundInOneSessionAndPressed()
{
    Desktop &desktop = *m_desktop;
    QCOMPARE(desktop.backend.grab(kLaunch, kAltSpace), GrabResult::Pending);
    QCOMPARE(desktop.backend.grab(kScreenshot, kCtrlSuperS), GrabResult::Pending);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.results.size(), 2, kTimeout);
    QCOMPARE(answersFor(desktop.results, kLaunch), QList{GrabResult::Grabbed});
    QCOMPARE(answersFor(desktop.results, kScreenshot), QList{GrabResult::Grabbed});
    QCOMPARE(desktop.portal.bound(), (QStringList{"launch=ALT+space", "screenshot=CTRL+LOGO+s"}));
    QCOMPARE(desktop.backend.mechanism(kLaunch), HotkeyBackend::Mechanism::DesktopShortcut);
    // The desktop's own words for the trigger.
    QCOMPARE(desktop.backend.triggerDescription(kLaunch), QStringLiteral("Alt+Space"));
    QCOMPARE(desktop.backend.triggerDescription(kScreenshot), QStringLiteral("Ctrl+Super+S"));

    // A press on the desktop carries its activation token, when it has one.
    QSignalSpy &pressed = desktop.pressed;
    desktop.portal.activate(QStringLiteral("launch"), QStringLiteral("token-1"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 1, kTimeout);
    QCOMPARE(pressed.at(0).at(0).toInt(), kLaunch);
    QCOMPARE(pressed.at(0).at(1).toString(), QStringLiteral("token-1"));
    desktop.portal.activate(QStringLiteral("screenshot"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 2, kTimeout);
    QCOMPARE(pressed.at(1).at(0).toInt(), kScreenshot);
    QCOMPARE(pressed.at(1).at(1).toString(), QString());
    // An id the program never asked for is no press.
    desktop.portal.activate(QStringLiteral("other"));
    desktop.portal.activate(QStringLiteral("launch"));
    QTRY_COMPARE_WITH_TIMEOUT(pressed.size(), 3, kTimeout);
    QCOMPARE(pressed.at(2).at(0).toInt(), kLaunch);
}

void TestPortalHotkeys::triggerChangedOnTheDesktop()
{
    Desktop &desktop = *m_desktop;
    QSignalSpy changed(&desktop.backend, &HotkeyBackend::triggersChanged);
    QVERIFY(desktop.bindBoth());
    desktop.portal.change(QStringLiteral("launch"), QStringLiteral("Super+Space"));
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 1, kTimeout);
    QCOMPARE(desktop.backend.triggerDescription(kLaunch), QStringLiteral("Super+Space"));
}

void TestPortalHotkeys::rebindAfterRelease()
{
    Desktop &desktop = *m_desktop;
    QVERIFY(desktop.bindBoth());

    // A new binding from Settings: a new session with the new trigger.
    desktop.backend.release(kLaunch);
    QCOMPARE(desktop.backend.mechanism(kLaunch), HotkeyBackend::Mechanism::None);
    QCOMPARE(desktop.backend.grab(kLaunch, HotkeyBinding{40, 0x1800}), GrabResult::Pending);
    QTRY_COMPARE_WITH_TIMEOUT(answersFor(desktop.results, kLaunch).size(), 2, kTimeout);
    QCOMPARE(answersFor(desktop.results, kLaunch).last(), GrabResult::Grabbed);
    QVERIFY(desktop.portal.bound().contains(QStringLiteral("launch=CTRL+ALT+k")));
    QCOMPARE(desktop.backend.triggerDescription(kLaunch), QStringLiteral("Ctrl+Alt+K"));
    desktop.portal.activate(QStringLiteral("screenshot"));
    QTRY_COMPARE_WITH_TIMEOUT(desktop.pressed.size(), 1, kTimeout);
}

void TestPortalHotkeys::declinedInTheDialog()
{
    // One portal at a time: the backend's bus name is taken until the first one stops.
    m_desktop.reset();
    Desktop &desktop = m_desktop.emplace(QStringList{"--decline"});
    if (!desktop.portal.problem().isEmpty())
        QSKIP(qPrintable(desktop.portal.problem()));
    QCOMPARE(desktop.backend.grab(kLaunch, kAltSpace), GrabResult::Pending);
    QTRY_COMPARE_WITH_TIMEOUT(desktop.results.size(), 1, kTimeout);
    QCOMPARE(answersFor(desktop.results, kLaunch), QList{GrabResult::Declined});
    QCOMPARE(desktop.backend.mechanism(kLaunch), HotkeyBackend::Mechanism::None);
}

QTEST_GUILESS_MAIN(TestPortalHotkeys)
#include "tst_portalhotkeys.moc"
