// When the user is told that the launch hotkey does not work, and when not.
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/HotkeyManager.h"
#include "services/HotkeyNotice.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedHotkeyBackend.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using GrabResult = HotkeyBackend::GrabResult;
const HotkeyBinding kAltSpace{49, 2048};
const HotkeyBinding kCtrlAltK{40, 0x1800};

// One start of the program: the hotkeys registered, the deadline passed.
struct Run
{
    std::unique_ptr<HotkeyManager> hotkeys;
    std::unique_ptr<HotkeyNotice> notice;
    ScriptedHotkeyBackend *backend = nullptr;
    std::unique_ptr<QSignalSpy> due;

    Run(UserDefaults &defaults, GrabResult launchResult)
    {
        auto scripted = std::make_unique<ScriptedHotkeyBackend>();
        backend = scripted.get();
        const HotkeyBinding launch =
            HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch());
        if (launchResult == GrabResult::taken)
            backend->takenByOthers << launch;
        else
            backend->otherwise = launchResult;
        hotkeys = std::make_unique<HotkeyManager>(nullptr, defaults, std::move(scripted));
        notice = std::make_unique<HotkeyNotice>(*hotkeys, defaults, std::chrono::milliseconds(0));
        due = std::make_unique<QSignalSpy>(notice.get(), &HotkeyNotice::due);
        QSignalSpy checked(notice.get(), &HotkeyNotice::checked);
        hotkeys->registerHotkeys();
        notice->start();
        QVERIFY(checked.wait(5000));
    }
};

} // namespace

class TestHotkeyNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstStart_data();
    void firstStart();
    void toldOncePerBinding();
    void toldAgainWhenAWorkingBindingStopsWorking();
    void anotherFailingBindingIsToldDuringTheRun();

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<UserDefaults> m_defaults;
};

void TestHotkeyNotice::init()
{
    m_home = std::make_unique<IsolatedHome>();
    m_defaults = std::make_unique<UserDefaults>(m_home->preferencesFile());
}

void TestHotkeyNotice::firstStart_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("notices");
    QTest::addColumn<QString>("told");
    QTest::newRow("grabbed: nothing to tell") << int(GrabResult::grabbed) << 0 << "";
    QTest::newRow("taken by the window manager")
        << int(GrabResult::taken) << 1 << "Alt+Space is taken by another program";
    QTest::newRow("no key on this keyboard") << int(GrabResult::unknownKey) << 1 << "no key on this keyboard";
    QTest::newRow("a session without grabs names the command")
        << int(GrabResult::unsupported) << 1 << "bind \"tarnwick --toggle\"";
}

void TestHotkeyNotice::firstStart()
{
    QFETCH(int, result);
    QFETCH(int, notices);
    QFETCH(QString, told);
    Run run(*m_defaults, GrabResult(result));
    QCOMPARE(run.due->count(), notices);
    if (notices) {
        QVERIFY2(run.notice->body().contains(told), qPrintable(run.notice->body()));
        // How to reach the program meanwhile.
        QVERIFY(run.notice->body().contains(QStringLiteral("tray icon")));
    }
}

void TestHotkeyNotice::toldOncePerBinding()
{
    QCOMPARE(Run(*m_defaults, GrabResult::taken).due->count(), 1);
    // The next login, same binding, still taken: not told again.
    QCOMPARE(Run(*m_defaults, GrabResult::taken).due->count(), 0);
    // Kept in the preferences file, beside the binding records it does not touch.
    const UserDefaults stored(m_defaults->filePath());
    QCOMPARE(stored.stringList(Preferences::hotkeyNoticesShown), QStringList{QStringLiteral("49/2048")});
    QVERIFY(!stored.value(Preferences::hotkeyBinding).isValid());
}

void TestHotkeyNotice::toldAgainWhenAWorkingBindingStopsWorking()
{
    QCOMPARE(Run(*m_defaults, GrabResult::taken).due->count(), 1);
    QCOMPARE(Run(*m_defaults, GrabResult::grabbed).due->count(), 0);
    QVERIFY(m_defaults->stringList(Preferences::hotkeyNoticesShown).isEmpty());
    QCOMPARE(Run(*m_defaults, GrabResult::taken).due->count(), 1);
}

void TestHotkeyNotice::anotherFailingBindingIsToldDuringTheRun()
{
    Run run(*m_defaults, GrabResult::taken);
    QCOMPARE(run.due->count(), 1);
    // The user picks another combination that is taken as well.
    run.backend->takenByOthers << kCtrlAltK;
    run.hotkeys->update(kCtrlAltK.keyCode, kCtrlAltK.modifiers);
    QCOMPARE(run.due->count(), 2);
    QVERIFY(run.notice->body().startsWith(QStringLiteral("Ctrl+Alt+K")));
    // Back to the first one: already told.
    run.hotkeys->update(kAltSpace.keyCode, kAltSpace.modifiers);
    QCOMPARE(run.due->count(), 2);
}

QTEST_GUILESS_MAIN(TestHotkeyNotice)
#include "tst_hotkeynotice.moc"
