// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher panel (offscreen): its fades, hide paths and hotkey notice, and
// how it and the Settings window follow the desktop between light and dark
// without a restart: through the Settings portal (the real frontend with the
// test's backend), and through the toolkit's palette where none answers.
#include "app/DesktopAppearance.h"
#include "app/LauncherWindow.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "platform/portal/DesktopColorScheme.h"
#include "settings/SettingsWindow.h"
#include "support/IsolatedSession.h"
#include "support/MemoryKeyStore.h"
#include "support/PortalDesktop.h"
#include "ui/NoticeCard.h"
#include "ui/SchemePalette.h"

#include <QApplication>
#include <QDBusVariant>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr int kTimeout = 20000;
using Scheme = DesktopColorScheme::Scheme;

// A panel and a Settings window over a session of their own, in a private home.
struct Panel : IsolatedSession
{
    LauncherWindow window{session};
    MemoryKeyStore keys;
    SettingsWindow settings{defaults, keys, presets, nullptr};
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

class TestLauncherWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void builtHiddenAtItsSize();
    void showDuringFadingHideWins();
    void sessionRequestsAndKeysHide();
    void hotkeyNoticeLeadsToTheRecorder();
    void portalValues_data();
    void portalValues();
    void followsThePortalLive();
    void followsTheToolkitWithoutPortal();
    void forcedThemeIgnoresTheDesktop();
};

void TestLauncherWindow::cleanup()
{
    QApplication::setPalette(schemePalette(false));
}

void TestLauncherWindow::builtHiddenAtItsSize()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    QVERIFY(!window.isVisible());
    QCOMPARE(window.size(), QSize(700, 540));
    QCOMPARE(window.minimumSize(), QSize(480, 380));
    window.resize(300, 200);
    QCOMPARE(window.size(), QSize(480, 380));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
}

void TestLauncherWindow::showDuringFadingHideWins()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    window.animateIn();
    QVERIFY(window.isVisible());
    QTRY_COMPARE(window.windowOpacity(), 1.0);

    window.animateOut();
    QVERIFY(window.isVisible()); // still fading
    window.animateIn();
    // Longer than both fades: the cancelled hide must not land afterwards.
    QTest::qWait(500);
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowOpacity(), 1.0);

    // A visible panel shown again fades in again from transparent.
    window.animateIn();
    QVERIFY(window.windowOpacity() < 1.0);
    QTRY_COMPARE(window.windowOpacity(), 1.0);
}

void TestLauncherWindow::sessionRequestsAndKeysHide()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    QSignalSpy settings(&window, &LauncherWindow::settingsRequested);
    QSignalSpy quit(&window, &LauncherWindow::quitRequested);

    Q_EMIT panel.session.showLauncherRequested();
    QVERIFY(window.isVisible());
    Q_EMIT panel.session.hideLauncherRequested();
    QTRY_VERIFY(!window.isVisible());

    window.animateIn();
    // The caret goes to the input field, which leaves these keys to the panel.
    QWidget *input = window.focusWidget();
    QVERIFY(input && window.isAncestorOf(input));
    QTest::keyClick(input, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settings.size(), 1);
    QTest::keyClick(input, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(quit.size(), 1);
    QTest::keyClick(input, Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
}

void TestLauncherWindow::hotkeyNoticeLeadsToTheRecorder()
{
    Panel panel;
    LauncherWindow &window = panel.window;
    panel.vm.setMessages({ChatMessage(ChatMessage::Role::User, QStringLiteral("first prompt")),
                          ChatMessage(ChatMessage::Role::Assistant, QStringLiteral("answer"))});
    QSignalSpy choose(&window, &LauncherWindow::chooseHotkeyRequested);
    window.setHotkeyNotice(QStringLiteral("Alt+Space is taken by another program."));
    window.animateIn();
    NoticeCard *notice = window.hotkeyNotice();
    const auto firstMessageTop = [&] {
        const QWidget *bubble = window.findChild<MessageListView *>()->bubbleAt(0);
        return bubble->mapTo(notice->parentWidget(), QPoint(0, 0)).y();
    };
    // The conversation starts below the card, not behind it.
    QTRY_VERIFY(firstMessageTop() > notice->geometry().bottom());
    QVERIFY(notice->isVisible());
    const QLabel *text = notice->findChild<QLabel *>(QStringLiteral("noticeText"));
    QCOMPARE(text->text(), QStringLiteral("Alt+Space is taken by another program."));
    // Over the panel's content, inside its rounded edge, tall enough for its text.
    QVERIFY(notice->geometry().left() > 0 && notice->geometry().right() < notice->parentWidget()->width());
    QTRY_VERIFY(text->height() >= text->heightForWidth(text->width()));

    QTest::mouseClick(notice->findChild<QPushButton *>(QStringLiteral("noticeAction")), Qt::LeftButton);
    QCOMPARE(choose.count(), 1);
    QVERIFY(!notice->isVisible());
    QTRY_VERIFY(firstMessageTop() < notice->geometry().top());

    // Told again, then dismissed: nothing is asked for.
    window.setHotkeyNotice(QStringLiteral("again"));
    QVERIFY(notice->isVisible());
    window.setHotkeyNotice({});
    QVERIFY(!notice->isVisible());
    QCOMPARE(choose.count(), 1);
}

// The values the Settings portal may send for the desktop's colour scheme.
void TestLauncherWindow::portalValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<Scheme>("scheme");
    QTest::newRow("dark") << QVariant(1u) << Scheme::Dark;
    QTest::newRow("light") << QVariant(2u) << Scheme::Light;
    QTest::newRow("no preference") << QVariant(0u) << Scheme::NoPreference;
    QTest::newRow("a value from a later version") << QVariant(3u) << Scheme::NoPreference;
    QTest::newRow("wrapped once more, as older frontends send it")
        << QVariant::fromValue(QDBusVariant(1u)) << Scheme::Dark;
    QTest::newRow("wrapped twice") << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(2u))))
                                   << Scheme::Light;
    QTest::newRow("text is not a scheme") << QVariant(QStringLiteral("1")) << Scheme::NoPreference;
    QTest::newRow("nothing") << QVariant() << Scheme::NoPreference;
}

void TestLauncherWindow::portalValues()
{
    QFETCH(QVariant, value);
    QFETCH(Scheme, scheme);
    QCOMPARE(DesktopColorScheme::fromPortalValue(value), scheme);
}

void TestLauncherWindow::followsThePortalLive()
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

void TestLauncherWindow::followsTheToolkitWithoutPortal()
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

void TestLauncherWindow::forcedThemeIgnoresTheDesktop()
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

QTEST_MAIN(TestLauncherWindow)
#include "tst_launcherwindow.moc"
