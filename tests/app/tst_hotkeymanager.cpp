// SPDX-License-Identifier: GPL-3.0-or-later
// HotkeyManager with its X11 backend on a private X server, pressed with xdotool.
#include "support/XSession.h"

#include "platform/NotificationCenter.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/HotkeyManager.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>
#include <QTest>

namespace {
constexpr int kTimeout = 30000;
XSession *session = nullptr;

using Hotkey = HotkeyManager::Hotkey;
using Status = HotkeyManager::Status;
} // namespace

class TestHotkeyManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void updateFiresAtOnceAndSurvivesRestart();
    void screenshotHotkeyPostsOncePerPress();
    void bothHotkeysBoundAlike();
    void dictateHotkeyIsUnboundUntilChosen();

private:
    std::unique_ptr<HotkeyManager> makeManager();

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> m_defaults;
    int m_launches = 0;
    int m_screenshotPosts = 0;
    QMetaObject::Connection m_observer;
};

void TestHotkeyManager::init()
{
    m_defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("preferences.json")));
    m_defaults->remove(Preferences::hotkeyBinding);
    m_defaults->remove(Preferences::screenshotHotkeyBinding);
    m_defaults->remove(Preferences::dictateHotkeyBinding);
    m_launches = 0;
    m_screenshotPosts = 0;
    m_observer = NotificationCenter::defaultCenter().observe(Notifications::takeTarnwickScreenshot, this,
                                                             [this] { ++m_screenshotPosts; });
}

void TestHotkeyManager::cleanup()
{
    disconnect(m_observer);
}

std::unique_ptr<HotkeyManager> TestHotkeyManager::makeManager()
{
    auto manager =
        std::make_unique<HotkeyManager>([this] { ++m_launches; }, *m_defaults, HotkeyBackend::createForPlatform());
    manager->registerHotkeys();
    return manager;
}

void TestHotkeyManager::updateFiresAtOnceAndSurvivesRestart()
{
    auto manager = makeManager();
    QCOMPARE(manager->status(Hotkey::Launch), Status::Active);
    QVERIFY(session->pressKeys(QStringLiteral("alt+space")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 1, kTimeout);

    manager->update(40, 256); // Command-K, that is Super+K
    QCOMPARE(manager->status(Hotkey::Launch), Status::Active);
    QVERIFY(session->pressKeys(QStringLiteral("super+k")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 2, kTimeout);
    // The old combination is let go: only the new one counts.
    QVERIFY(session->pressKeys(QStringLiteral("alt+space super+k")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 3, kTimeout);

    // The stored record's form is the binding test's; here a restart grabs it again.
    manager.reset();
    UserDefaults reread(m_defaults->filePath());
    HotkeyManager restarted([this] { ++m_launches; }, reread, HotkeyBackend::createForPlatform());
    restarted.registerHotkeys();
    QVERIFY(session->pressKeys(QStringLiteral("super+k")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 4, kTimeout);
    QCOMPARE(m_screenshotPosts, 0);
}

void TestHotkeyManager::screenshotHotkeyPostsOncePerPress()
{
    auto manager = makeManager();
    QCOMPARE(manager->status(Hotkey::Screenshot), Status::Active);
    // Held down, the key repeats; that is still one press.
    session->run(QStringLiteral("xdotool"),
                 {QStringLiteral("keydown"), QStringLiteral("ctrl+super+s"), QStringLiteral("sleep"),
                  QStringLiteral("1"), QStringLiteral("keyup"), QStringLiteral("ctrl+super+s")});
    QTRY_COMPARE_WITH_TIMEOUT(m_screenshotPosts, 1, kTimeout);
    QVERIFY(session->pressKeys(QStringLiteral("ctrl+super+s ctrl+super+s")));
    QTRY_COMPARE_WITH_TIMEOUT(m_screenshotPosts, 3, kTimeout);
    QCOMPARE(m_launches, 0);
}

void TestHotkeyManager::bothHotkeysBoundAlike()
{
    auto manager = makeManager();
    manager->updateScreenshot(49, 2048); // Option-Space, the launch hotkey's
    QCOMPARE(manager->status(Hotkey::Screenshot), Status::SameAsOther);
    QVERIFY(!manager->statusText(Hotkey::Screenshot).isEmpty());
    QVERIFY(session->pressKeys(QStringLiteral("alt+space")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 1, kTimeout);

    // Moving the launch hotkey away frees the combination for the screenshot.
    QSignalSpy changes(manager.get(), &HotkeyManager::statusChanged);
    manager->update(40, 2048);
    QCOMPARE(manager->status(Hotkey::Screenshot), Status::Active);
    QVERIFY(changes.contains({QVariant::fromValue(Hotkey::Screenshot)}));
    QVERIFY(session->pressKeys(QStringLiteral("alt+space alt+k")));
    QTRY_COMPARE_WITH_TIMEOUT(m_launches, 2, kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(m_screenshotPosts, 1, kTimeout);
}

void TestHotkeyManager::dictateHotkeyIsUnboundUntilChosen()
{
    auto manager = makeManager();
    QVERIFY(!manager->isBound(Hotkey::Dictate));
    QCOMPARE(manager->status(Hotkey::Dictate), Status::NotRegistered);
    QVERIFY(manager->statusText(Hotkey::Dictate).isEmpty());

    QSignalSpy dictations(manager.get(), &HotkeyManager::dictatePressed);
    manager->setBinding(Hotkey::Dictate, HotkeyBinding{2, 6144}); // Ctrl+Alt+D
    QCOMPARE(manager->status(Hotkey::Dictate), Status::Active);
    QVERIFY(session->pressKeys(QStringLiteral("ctrl+alt+d")));
    QTRY_COMPARE_WITH_TIMEOUT(dictations.size(), 1, kTimeout);

    // The screenshot hotkey keeps its combination; dictation is told whose it is.
    manager->setBinding(Hotkey::Dictate, HotkeyBinding{1, 4352});
    QCOMPARE(manager->status(Hotkey::Dictate), Status::SameAsOther);
    QVERIFY(manager->statusText(Hotkey::Dictate).contains(QStringLiteral("screenshot hotkey")));
    QVERIFY(session->pressKeys(QStringLiteral("ctrl+super+s ctrl+alt+d")));
    QTRY_COMPARE_WITH_TIMEOUT(m_screenshotPosts, 1, kTimeout);
    QCOMPARE(dictations.size(), 1);

    manager->setBinding(Hotkey::Dictate, std::nullopt);
    QCOMPARE(manager->status(Hotkey::Dictate), Status::NotRegistered);
    QVERIFY(!m_defaults->contains(Preferences::dictateHotkeyBinding));
    // A launch or screenshot hotkey cannot be left without a binding.
    manager->setBinding(Hotkey::Launch, std::nullopt);
    QCOMPARE(manager->status(Hotkey::Launch), Status::Active);
}

int main(int argc, char **argv)
{
    XSession x;
    if (!x.problem().isEmpty()) {
        std::fprintf(stderr, "SKIP: no test X session: %s\n", qPrintable(x.problem()));
        return 0;
    }
    session = &x;
    qputenv("DISPLAY", x.display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestHotkeyManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkeymanager.moc"
