// The open panel and the Settings window follow the desktop between light and
// dark without a restart: through the Settings portal (the real frontend with
// the test's backend), and through the toolkit's palette where none answers.
#include "app/DesktopAppearance.h"
#include "app/LauncherWindow.h"
#include "settings/SettingsWindow.h"
#include "support/IsolatedSession.h"
#include "support/MemoryKeyStore.h"
#include "support/PortalDesktop.h"
#include "ui/SchemePalette.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {

constexpr int kTimeout = 20000;

struct Panel : IsolatedSession
{
    LauncherWindow window{session};
    MemoryKeyStore keys;
    SettingsWindow settings{defaults, keys, nullptr};
};

// The panel's ground where nothing is drawn over it.
bool panelLooksDark(LauncherWindow &window)
{
    const QImage image = window.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2).lightness() < 128;
}

bool settingsLookDark(SettingsWindow &window)
{
    return isDarkPalette(window.palette());
}

template<typename T> T *child(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    Q_ASSERT(found);
    return found;
}

// A text box whose style sheet names palette colours, a caption, a problem line.
bool keyFieldLooksDark(SettingsWindow &window)
{
    const QImage image = child<QLineEdit>(window, "geminiKeyField")->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2).lightness() < 128;
}

bool captionIsLight(SettingsWindow &window)
{
    return child<QLabel>(window, "keyStoreCaption")->palette().color(QPalette::WindowText).lightness() > 128;
}

QColor problemColour(SettingsWindow &window)
{
    return child<QLabel>(window, "launchHotkeyProblem")->palette().color(QPalette::WindowText);
}

} // namespace

class TestDesktopAppearance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void followsThePortalLive();
    void followsTheToolkitWithoutPortal();
    void forcedThemeIgnoresTheDesktop();
};

void TestDesktopAppearance::cleanup()
{
    QApplication::setPalette(schemePalette(false));
}

void TestDesktopAppearance::followsThePortalLive()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    desktop.setColorScheme(1);
    Panel panel;
    DesktopAppearance appearance;
    panel.window.animateIn();
    panel.settings.show();
    QTRY_VERIFY_WITH_TIMEOUT(panelLooksDark(panel.window), kTimeout);
    QTRY_VERIFY(settingsLookDark(panel.settings));

    desktop.setColorScheme(2);
    QTRY_VERIFY_WITH_TIMEOUT(!panelLooksDark(panel.window), kTimeout);
    QTRY_VERIFY(!settingsLookDark(panel.settings));

    desktop.setColorScheme(1);
    QTRY_VERIFY_WITH_TIMEOUT(panelLooksDark(panel.window), kTimeout);
    // No preference: the toolkit's own palette (light here) again.
    desktop.setColorScheme(0);
    QTRY_VERIFY_WITH_TIMEOUT(!panelLooksDark(panel.window), kTimeout);
    QTRY_VERIFY(!settingsLookDark(panel.settings));
}

void TestDesktopAppearance::followsTheToolkitWithoutPortal()
{
    Panel panel;
    DesktopAppearance appearance;
    panel.window.animateIn();
    panel.settings.show();
    QVERIFY(!panelLooksDark(panel.window));

    QVERIFY(!keyFieldLooksDark(panel.settings));
    QVERIFY(!captionIsLight(panel.settings));

    // As a platform theme does when the desktop turns dark.
    QApplication::setPalette(schemePalette(true));
    QTRY_VERIFY(panelLooksDark(panel.window));
    QTRY_VERIFY(settingsLookDark(panel.settings));
    QTRY_VERIFY(keyFieldLooksDark(panel.settings));
    QVERIFY(captionIsLight(panel.settings));
    // A problem line keeps its own colour, in the dark variant.
    QCOMPARE(problemColour(panel.settings), QColor(255, 105, 97));

    QApplication::setPalette(schemePalette(false));
    QTRY_VERIFY(!panelLooksDark(panel.window));
    QTRY_VERIFY(!keyFieldLooksDark(panel.settings));
    QVERIFY(!captionIsLight(panel.settings));
    QCOMPARE(problemColour(panel.settings), QColor(215, 0, 21));
}

void TestDesktopAppearance::forcedThemeIgnoresTheDesktop()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    Panel panel;
    panel.defaults.set(QStringLiteral("appTheme"), QStringLiteral("Light"));
    DesktopAppearance appearance;
    panel.window.animateIn();
    desktop.setColorScheme(1);
    QTRY_VERIFY_WITH_TIMEOUT(settingsLookDark(panel.settings), kTimeout);
    QVERIFY(!panelLooksDark(panel.window));
}

QTEST_MAIN(TestDesktopAppearance)
#include "tst_desktopappearance.moc"
