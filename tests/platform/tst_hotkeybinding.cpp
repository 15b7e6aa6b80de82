// SPDX-License-Identifier: GPL-3.0-or-later
// The physical key table, the modifier mapping, the stored binding records,
// and when the user is told that the launch hotkey does not work.
#include "platform/HotkeyBinding.h"
#include "platform/KeyTable.h"
#include "platform/NullHotkeyBackend.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/HotkeyManager.h"
#include "services/HotkeyNotice.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedHotkeyBackend.h"
#include "support/X11Keys.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
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
        if (launchResult == GrabResult::Taken)
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

class TestHotkeyBinding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void keyTable_data();
    void keyTable();
    void keyTableRoundTrips();
    void keysWithoutX11Code();
    void modifiers_data();
    void modifiers();
    void bindingRecord_data();
    void bindingRecord();
    void storedRecordIsTwoIntegers();
    void withoutGlobalGrabsEachHotkeySaysSo();
    void noticeOnFirstStart_data();
    void noticeOnFirstStart();
    void noticeToldOncePerBinding();
    void noticeToldAgainWhenAWorkingBindingStopsWorking();
    void anotherFailingBindingIsToldDuringTheRun();

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<UserDefaults> m_defaults;
};

void TestHotkeyBinding::init()
{
    m_home = std::make_unique<IsolatedHome>();
    m_defaults = std::make_unique<UserDefaults>(m_home->preferencesFile());
}

void TestHotkeyBinding::keyTable_data()
{
    QTest::addColumn<quint32>("storedKey");
    QTest::addColumn<quint32>("x11Keycode");
    QTest::addColumn<QString>("name");
    QTest::newRow("space bar") << 49u << x11Keycode(KEY_SPACE) << "Space";
    QTest::newRow("S, of the built-in screenshot hotkey") << 1u << x11Keycode(KEY_S) << "S";
    QTest::newRow("digit 5, left of 6 on the original codes") << 23u << x11Keycode(KEY_5) << "5";
    QTest::newRow("comma") << 43u << x11Keycode(KEY_COMMA) << ",";
    QTest::newRow("keypad 7") << 89u << x11Keycode(KEY_KP7) << "Num+7";
    QTest::newRow("forward delete") << 117u << x11Keycode(KEY_DELETE) << "Del";
    QTest::newRow("ISO key beside left Shift") << 10u << x11Keycode(KEY_102ND) << "<";
}

void TestHotkeyBinding::keyTable()
{
    QFETCH(quint32, storedKey);
    QFETCH(quint32, x11Keycode);
    QFETCH(QString, name);
    QCOMPARE(KeyTable::x11KeycodeForStoredKey(storedKey), std::optional<quint8>(quint8(x11Keycode)));
    QCOMPARE(KeyTable::storedKeyForX11Keycode(x11Keycode), std::optional<quint32>(storedKey));
    QCOMPARE((HotkeyBinding{storedKey, 0}.displayText()), name);
}

// Every key the table knows maps to one X11 key code and back to itself.
void TestHotkeyBinding::keyTableRoundTrips()
{
    int known = 0;
    QSet<quint8> seen;
    for (quint32 storedKey = 0; storedKey < 0x80; ++storedKey) {
        const std::optional<quint8> keycode = KeyTable::x11KeycodeForStoredKey(storedKey);
        if (!keycode)
            continue;
        ++known;
        QVERIFY2(!seen.contains(*keycode), qPrintable(QString::number(storedKey)));
        seen.insert(*keycode);
        QCOMPARE(KeyTable::storedKeyForX11Keycode(*keycode), std::optional<quint32>(storedKey));
        QVERIFY(KeyTable::qtKeyForStoredKey(storedKey).has_value());
    }
    QVERIFY(known > 110);
}

void TestHotkeyBinding::keysWithoutX11Code()
{
    // 0x3F is Fn, which never reaches X11; 0x34 and 0x6C are no keys; big
    // numbers come from a damaged record.
    for (quint32 storedKey : {0x3Fu, 0x34u, 0x6Cu, 0x80u, 0xFFFFFFFFu}) {
        QVERIFY(!KeyTable::x11KeycodeForStoredKey(storedKey));
        QCOMPARE((HotkeyBinding{storedKey, 2048}.displayText()), QStringLiteral("Alt+Key%1").arg(storedKey));
    }
    for (quint32 keycode : {0u, 7u, 256u})
        QVERIFY(!KeyTable::storedKeyForX11Keycode(keycode));
}

void TestHotkeyBinding::modifiers_data()
{
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<int>("x11");
    QTest::addColumn<int>("qt");
    QTest::addColumn<QString>("shown");
    QTest::newRow("2048 is Alt") << 2048u << 0x8 << int(Qt::AltModifier) << "Alt+Space";
    QTest::newRow("256 is Super") << 256u << 0x40 << int(Qt::MetaModifier) << "Super+Space";
    QTest::newRow("4352 is Ctrl and Super")
        << 4352u << 0x44 << int(Qt::ControlModifier | Qt::MetaModifier) << "Ctrl+Super+Space";
    QTest::newRow("all four") << 0x1B00u << 0x4D
                              << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)
                              << "Ctrl+Alt+Shift+Super+Space";
    QTest::newRow("none") << 0u << 0 << 0 << "Space";
}

void TestHotkeyBinding::modifiers()
{
    QFETCH(quint32, stored);
    QFETCH(int, x11);
    QFETCH(int, qt);
    QFETCH(QString, shown);
    QCOMPARE(KeyTable::x11ModifiersFromStored(stored), quint16(x11));
    QCOMPARE(KeyTable::storedModifiersFromX11(quint16(x11)), stored);
    QCOMPARE(int(KeyTable::qtModifiersFromStored(stored)), qt);
    QCOMPARE(KeyTable::storedModifiersFromQt(Qt::KeyboardModifiers(qt)), stored);
    QCOMPARE((HotkeyBinding{49, stored}.displayText()), shown);
    // Caps Lock (Lock) and Num Lock (Mod2) in an event state are not modifiers of a binding.
    QCOMPARE(KeyTable::storedModifiersFromX11(quint16(x11 | 0x2 | 0x10)), stored);
}

void TestHotkeyBinding::bindingRecord_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<quint32>("keyCode");
    QTest::addColumn<quint32>("modifiers");
    QTest::newRow("no record") << "{}" << 1u << 4352u;
    QTest::newRow("both entries") << R"({"screenshotHotkeyBinding": {"keyCode": 40, "modifiers": 256}})" << 40u << 256u;
    QTest::newRow("only keyCode keeps built-in modifiers")
        << R"({"screenshotHotkeyBinding": {"keyCode": 3}})" << 3u << 4352u;
    QTest::newRow("only modifiers keeps built-in key")
        << R"({"screenshotHotkeyBinding": {"modifiers": 512}})" << 1u << 512u;
    QTest::newRow("text entries") << R"({"screenshotHotkeyBinding": {"keyCode": "40", "modifiers": "256"}})" << 1u
                                  << 4352u;
    QTest::newRow("negative") << R"({"screenshotHotkeyBinding": {"keyCode": -1, "modifiers": 256}})" << 1u << 256u;
    QTest::newRow("beyond 32 bits")
        << R"({"screenshotHotkeyBinding": {"keyCode": 4294967296, "modifiers": 4294967295}})" << 1u << 4294967295u;
    QTest::newRow("fraction") << R"({"screenshotHotkeyBinding": {"keyCode": 2.5}})" << 1u << 4352u;
    QTest::newRow("not a dictionary") << R"({"screenshotHotkeyBinding": [40, 256]})" << 1u << 4352u;
}

void TestHotkeyBinding::bindingRecord()
{
    QFETCH(QString, json);
    QFETCH(quint32, keyCode);
    QFETCH(quint32, modifiers);
    const QString path = m_home->path() + QStringLiteral("/preferences.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(json.toUtf8());
    file.close();

    UserDefaults defaults(path);
    const HotkeyBinding binding =
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot());
    QCOMPARE(binding.keyCode, keyCode);
    QCOMPARE(binding.modifiers, modifiers);
    // Reading writes nothing back.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), json);
}

void TestHotkeyBinding::storedRecordIsTwoIntegers()
{
    const QString path = m_defaults->filePath();
    HotkeyManager manager(nullptr, *m_defaults, std::make_unique<NullHotkeyBackend>());
    QCOMPARE(manager.binding(HotkeyManager::Hotkey::Launch), HotkeyBinding::builtInLaunch());
    manager.update(49, 256);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(stored.value(Preferences::hotkeyBinding).toObject(),
             QJsonObject({{QStringLiteral("keyCode"), 49}, {QStringLiteral("modifiers"), 256}}));
    QVERIFY(!stored.contains(Preferences::screenshotHotkeyBinding));

    UserDefaults reread(path);
    HotkeyManager next(nullptr, reread, std::make_unique<NullHotkeyBackend>());
    QCOMPARE(next.binding(HotkeyManager::Hotkey::Launch), (HotkeyBinding{49, 256}));
}

// Wayland and other sessions without global grabs: the bindings stay stored
// and each hotkey tells the user which command to bind instead.
void TestHotkeyBinding::withoutGlobalGrabsEachHotkeySaysSo()
{
    HotkeyManager manager(nullptr, *m_defaults, std::make_unique<NullHotkeyBackend>());
    QSignalSpy changes(&manager, &HotkeyManager::statusChanged);
    QCOMPARE(manager.status(HotkeyManager::Hotkey::Launch), HotkeyManager::Status::NotRegistered);
    manager.registerHotkeys();
    QCOMPARE(changes.size(), 2);
    QCOMPARE(manager.status(HotkeyManager::Hotkey::Launch), HotkeyManager::Status::Unsupported);
    QVERIFY(manager.statusText(HotkeyManager::Hotkey::Launch).contains(QStringLiteral("tarnwick --toggle")));
    QVERIFY(manager.statusText(HotkeyManager::Hotkey::Screenshot).contains(QStringLiteral("tarnwick --screenshot")));
}

void TestHotkeyBinding::noticeOnFirstStart_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("notices");
    QTest::addColumn<QString>("told");
    QTest::newRow("grabbed: nothing to tell") << int(GrabResult::Grabbed) << 0 << "";
    QTest::newRow("taken by the window manager")
        << int(GrabResult::Taken) << 1 << "Alt+Space is taken by another program";
    QTest::newRow("no key on this keyboard") << int(GrabResult::UnknownKey) << 1 << "no key on this keyboard";
    QTest::newRow("a session without grabs names the command")
        << int(GrabResult::Unsupported) << 1 << "bind \"tarnwick --toggle\"";
}

void TestHotkeyBinding::noticeOnFirstStart()
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

void TestHotkeyBinding::noticeToldOncePerBinding()
{
    QCOMPARE(Run(*m_defaults, GrabResult::Taken).due->count(), 1);
    // The next login, same binding, still taken: not told again.
    QCOMPARE(Run(*m_defaults, GrabResult::Taken).due->count(), 0);
    // Kept in the preferences file, beside the binding records it does not touch.
    const UserDefaults stored(m_defaults->filePath());
    QCOMPARE(stored.stringList(Preferences::hotkeyNoticesShown), QStringList{"49/2048"});
    QVERIFY(!stored.value(Preferences::hotkeyBinding).isValid());
}

void TestHotkeyBinding::noticeToldAgainWhenAWorkingBindingStopsWorking()
{
    QCOMPARE(Run(*m_defaults, GrabResult::Taken).due->count(), 1);
    QCOMPARE(Run(*m_defaults, GrabResult::Grabbed).due->count(), 0);
    QVERIFY(m_defaults->stringList(Preferences::hotkeyNoticesShown).isEmpty());
    QCOMPARE(Run(*m_defaults, GrabResult::Taken).due->count(), 1);
}

void TestHotkeyBinding::anotherFailingBindingIsToldDuringTheRun()
{
    Run run(*m_defaults, GrabResult::Taken);
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

QTEST_GUILESS_MAIN(TestHotkeyBinding)
#include "tst_hotkeybinding.moc"
