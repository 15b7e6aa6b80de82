// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X server: hotkeys recorded in the settings
// window with xdotool, saved, and tried at once.
#include "platform/KeyTable.h"
#include "support/TarnwickProcess.h"
#include "support/X11Keys.h"
#include "support/XSessionTest.h"

#include <QScopeGuard>
#include <QTest>

#include <memory>

namespace {
constexpr quint16 kX11ControlAlt = KeyTable::x11Control | KeyTable::x11Alt;
} // namespace

class TestSettingsSystem : public XSessionTest
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_tarnwick = std::make_unique<TarnwickProcess>(session()); }

    void cleanup()
    {
        m_tarnwick.reset();
        m_settings = 0;
    }

    void recordedLaunchHotkeyWorksAtOnce()
    {
        openSettings();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
        const quint32 panel = m_tarnwick->windowId(QStringLiteral("launcher-window"));

        // Recording holds the keyboard: the current hotkey is recorded, not run.
        clickControl(QStringLiteral("launchRecorder"));
        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        clickControl(QStringLiteral("launchRecorder"));
        QVERIFY(session().pressKeys(QStringLiteral("k super+shift+k")));
        clickControl(QStringLiteral("saveButton"));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("settings-saved")), 1, kTimeout);
        QCOMPARE(m_tarnwick->count(QStringLiteral("toggle")), 0);

        QVERIFY(session().pressKeys(QStringLiteral("super+shift+k")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("toggle")), 1, kTimeout);

        // The old hotkey is gone: only the new one after it toggles again.
        QVERIFY(session().pressKeys(QStringLiteral("alt+space super+shift+k")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("toggle")), 2, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(panel), kTimeout);
        QCOMPARE(m_tarnwick->count(QStringLiteral("settings-hotkey-problem launchRecorder")), 0);
    }

    void hotkeyHeldByAnotherProgramIsShown()
    {
        QVERIFY(session().grabKey(x11Keycode(KEY_J), kX11ControlAlt));
        const auto release = qScopeGuard([&] { session().releaseKey(x11Keycode(KEY_J), kX11ControlAlt); });
        openSettings();

        // Another program's grab does not stop the recording, only the hotkey.
        clickControl(QStringLiteral("launchRecorder"));
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+alt+j")));
        clickControl(QStringLiteral("saveButton"));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-launch-taken")), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("settings-hotkey-problem launchRecorder")) >= 1,
                                 kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("settings-saved")), 1, kTimeout);
    }

private:
    void openSettings();
    void clickControl(const QString &name);

    std::unique_ptr<TarnwickProcess> m_tarnwick;
    quint32 m_settings = 0;
};

void TestSettingsSystem::openSettings()
{
    m_tarnwick->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("launched")), 1, kTimeout);
    QCOMPARE(m_tarnwick->runCommand({QStringLiteral("--settings")}), 0);
    QTRY_VERIFY_WITH_TIMEOUT((m_settings = m_tarnwick->windowId(QStringLiteral("settings-window"))) != 0, kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_settings), kTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), m_settings, kTimeout);
}

void TestSettingsSystem::clickControl(const QString &name)
{
    const QString prefix = QStringLiteral("settings-control ") + name;
    const quint32 x = m_tarnwick->windowId(prefix + QStringLiteral("-x"));
    const quint32 y = m_tarnwick->windowId(prefix + QStringLiteral("-y"));
    QVERIFY2(x != 0 && y != 0, qPrintable(name));
    QVERIFY(session().xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(m_settings),
                               QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1")}));
}

QTEST_MAIN(TestSettingsSystem)
#include "tst_settingssystem.moc"
