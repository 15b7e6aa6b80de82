// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X server with Openbox, driven with xdotool.
#include "support/BoolRows.h"
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const QString kLaunched = QStringLiteral("launched");
const QString kTakeScreenshot = QStringLiteral("notification TakeTarnwickScreenshot");
const QString kStartScreenshot = QStringLiteral("notification TarnwickTakeScreenshot");
const QString kShown = QStringLiteral("notification ShowTarnwick");
} // namespace

class TestTrayProgram : public XSessionTest
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_tarnwick = std::make_unique<TarnwickProcess>(session());
        // The screenshot flow would put a region selector over the whole screen
        // and wait for a person; a capture that ends at once stands in for it.
        m_tarnwick->setEnvironmentVariable(QStringLiteral("TARNWICK_SCREENSHOT_COMMAND"), QStringLiteral("true"));
    }

    void cleanup()
    {
        m_tarnwick.reset();
        session().stopHelpers();
        m_panel = 0;
    }

    void launchHotkeyShowsFocusedPanelAndHides()
    {
        startTarnwick();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
        QVERIFY(!session().isViewable(m_panel));
        // Another program has the focus, as when the user works in it.
        QVERIFY(session().startHelper(QStringLiteral("display"), {"-size", "300x200", "xc:gray"}));
        QTRY_VERIFY_WITH_TIMEOUT(session().activeWindow() != 0, kTimeout);

        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), m_panel, kTimeout);

        // The keyboard really reaches the input field: type, select, copy, read back.
        QVERIFY(session().xdotool({"type", "--delay", "30", "tarnwick"}));
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+a ctrl+c")));
        QTRY_COMPARE_WITH_TIMEOUT(clipboard(), QStringLiteral("tarnwick"), kTimeout);

        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(m_panel), kTimeout);

        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), m_panel, kTimeout);
        QVERIFY(session().pressKeys(QStringLiteral("Escape")));
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("toggle")), 3, kTimeout);
    }

    void lockKeysDoNotMatter_data()
    {
        QTest::addColumn<QString>("locks");
        QTest::newRow("Num Lock on") << QStringLiteral("Num_Lock");
        QTest::newRow("Caps Lock on") << QStringLiteral("Caps_Lock");
        QTest::newRow("both on") << QStringLiteral("Num_Lock Caps_Lock");
    }

    void lockKeysDoNotMatter()
    {
        QFETCH(QString, locks);
        startTarnwick();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
        QVERIFY(session().pressKeys(locks));
        auto unlock = qScopeGuard([&] { session().pressKeys(locks); });

        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(m_panel), kTimeout);
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+super+s")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kTakeScreenshot), 1, kTimeout);
    }

    void bareKeysDoNothing()
    {
        startTarnwick();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);
        QVERIFY(session().pressKeys(QStringLiteral("space s ctrl+s super+s alt+s shift+space ctrl+space super+space")));
        // The real hotkey afterwards proves the keys before it were seen and passed over.
        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("toggle")), 1, kTimeout);
        QCOMPARE(m_tarnwick->count(kTakeScreenshot), 0);
    }

    void screenshotHotkeyShowsLauncherFirst()
    {
        startTarnwick();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);

        QVERIFY(session().pressKeys(QStringLiteral("ctrl+super+s")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kStartScreenshot), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kTakeScreenshot), 1, kTimeout);

        // While the launcher is up the screenshot starts again, the panel stays.
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+super+s")));
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kStartScreenshot), 2, kTimeout);
        QCOMPARE(m_tarnwick->count(kTakeScreenshot), 2);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
    }

    void commandsReachTheRunningInstance()
    {
        startTarnwick();
        QCOMPARE(m_tarnwick->runCommand({"--toggle"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), m_panel, kTimeout);
        QCOMPARE(m_tarnwick->runCommand({"--toggle"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(m_panel), kTimeout);

        // A second plain start opens the launcher of the first and leaves.
        QCOMPARE(m_tarnwick->runCommand({}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("request open")), 1, kTimeout);

        QCOMPARE(m_tarnwick->runCommand({"--screenshot"}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kStartScreenshot), 1, kTimeout);
        // The launcher comes back when the capture ends; Settings opens after that.
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kShown), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);

        QCOMPARE(m_tarnwick->runCommand({"--settings"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_tarnwick->windowId(QStringLiteral("settings-window")) != 0, kTimeout);
        const quint32 settings = m_tarnwick->windowId(QStringLiteral("settings-window"));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(settings), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), settings, kTimeout);
        QCOMPARE(session().run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(settings)}),
                 QStringLiteral("Tarnwick Settings"));

        QCOMPARE(m_tarnwick->runCommand({"--no-such-thing"}), 2);
        QCOMPARE(m_tarnwick->process().state(), QProcess::Running);
    }

    void commandStartsAnInstanceAndRecoversStaleLock()
    {
        startTarnwick({"--toggle"});
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);

        // A crash leaves the lock and the socket behind.
        m_tarnwick->process().kill();
        QVERIFY(m_tarnwick->process().waitForFinished(kTimeout));
        QTRY_VERIFY_WITH_TIMEOUT(!session().isViewable(m_panel), kTimeout);

        m_tarnwick->start({"--open"});
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kLaunched), 2, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("request open")), 1, kTimeout);
        // The new instance answers later starts.
        QCOMPARE(m_tarnwick->runCommand({"--toggle"}), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("request toggle")), 2, kTimeout);
    }

    void trayMenuOpensLauncherAndQuits()
    {
        if (!session().startHelper(QStringLiteral("trayer"),
                                   {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"}))
            QSKIP("trayer is not installed");
        startTarnwick();
        QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(QStringLiteral("tray-ready")), 1, kTimeout);

        // The tray icon is the small visible window of ours inside the tray.
        QString icon;
        const auto visibleWindows = [&] {
            return session()
                .run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--class", "tarnwick"})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        };
        const auto openMenuAndPick = [&](const QString &selectKey) {
            const qsizetype before = visibleWindows().size();
            // A click that lands while the tray is still embedding the icon is
            // lost; click again until the menu is on screen.
            bool menuShown = false;
            for (int attempt = 0; attempt < 5 && !menuShown; ++attempt) {
                session().run(QStringLiteral("xdotool"),
                              {QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("8"),
                               QStringLiteral("8"), QStringLiteral("click"), QStringLiteral("1")});
                menuShown = QTest::qWaitFor([&] { return visibleWindows().size() > before; }, kTimeout / 5);
            }
            QVERIFY(menuShown);
            // The menu takes the keyboard once it is on screen.
            QVERIFY(session().pressKeys(selectKey));
            QVERIFY(session().pressKeys(QStringLiteral("Return")));
        };
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
            for (const QString &id : visibleWindows()) {
                if (id.toUInt() != m_panel)
                    icon = id;
            }
            return !icon.isEmpty();
            }(),
            kTimeout);
        openMenuAndPick(QStringLiteral("Down")); // the first item, "Open Tarnwick"
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(m_panel), kTimeout);

        openMenuAndPick(QStringLiteral("Up")); // from the top it wraps to the last, "Quit Tarnwick"
        QVERIFY(m_tarnwick->process().waitForFinished(kTimeout));
        QCOMPARE(m_tarnwick->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_tarnwick->process().exitCode(), 0);
    }

    // Logging out sends SIGTERM; the program quits as "Quit Tarnwick" does, history flushed.
    void terminationQuitsCleanly()
    {
        startTarnwick();
        m_tarnwick->process().terminate();
        QVERIFY(m_tarnwick->process().waitForFinished(kTimeout));
        QCOMPARE(m_tarnwick->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_tarnwick->process().exitCode(), 0);
    }

    // The screenshot road: hotkey, our region selector over a frozen screen, an
    // xdotool drag, the picture in the launcher.
    void regionEndsUpInTheLauncher_data() { addBoolRows("cancel", "drag attaches the region", "Esc attaches nothing"); }

    void regionEndsUpInTheLauncher()
    {
        QFETCH(bool, cancel);
        TarnwickProcess tarnwick(session());
        tarnwick.start();
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);
        const quint32 panel = tarnwick.windowId(QStringLiteral("launcher-window"));
        QVERIFY(session().startHelper(QStringLiteral("display"),
                                      {"-geometry", "+900+500", "-size", "240x180", "xc:magenta"}));
        session().run(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--class", "Display"});

        session().run(QStringLiteral("xdotool"), {"key", "ctrl+super+s"});
        int found = -1;
        session().run(QStringLiteral("xdotool"),
                      {"search", "--sync", "--onlyvisible", "--name", "Tarnwick region selector"}, &found);
        QCOMPARE(found, 0);
        if (cancel) {
            // Until the selector's keyboard grab lands, a person would press again too.
            for (int attempt = 0; attempt < 40 && tarnwick.count(kShown) == 0; ++attempt) {
                session().run(QStringLiteral("xdotool"), {"key", "Escape"});
                QTest::qWait(250);
            }
        } else {
            session().run(QStringLiteral("xdotool"),
                          {"mousemove", "940", "560", "mousedown", "1", "mousemove", "990", "600", "mousemove", "1040",
                           "640", "mouseup", "1"});
        }
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(kShown), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(panel), kTimeout);

        if (cancel)
            QCOMPARE(magentaInPanel(panel), 0);
        else
            QTRY_VERIFY_WITH_TIMEOUT(magentaInPanel(panel) > 100, kTimeout);
        const QString runtime = tarnwick.process().processEnvironment().value(QStringLiteral("XDG_RUNTIME_DIR"));
        QVERIFY(!QFile::exists(runtime + QStringLiteral("/tarnwick/screenshot.png")));
        session().stopHelpers();
    }

private:
    void startTarnwick(const QStringList &arguments = {});
    QString clipboard() const;
    // Magenta pixels in the launcher panel: the attached picture's thumbnail.
    int magentaInPanel(quint32 panel);

    QTemporaryDir m_scratch;

    std::unique_ptr<TarnwickProcess> m_tarnwick;
    quint32 m_panel = 0;
};

void TestTrayProgram::startTarnwick(const QStringList &arguments)
{
    m_tarnwick->start(arguments);
    QTRY_COMPARE_WITH_TIMEOUT(m_tarnwick->count(kLaunched), 1, kTimeout);
    m_panel = m_tarnwick->windowId(QStringLiteral("launcher-window"));
    QVERIFY(m_panel != 0);
}

QString TestTrayProgram::clipboard() const
{
    return session().run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"});
}

int TestTrayProgram::magentaInPanel(quint32 panel)
{
    const QString path = m_scratch.filePath(QStringLiteral("panel.png"));
    session().run(QStringLiteral("import"), {QStringLiteral("-window"), QString::number(panel), path});
    const QImage image(path);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & RGB_MASK) == 0xff00ff;
    }
    return count;
}

QTEST_GUILESS_MAIN(TestTrayProgram)
#include "tst_trayprogram.moc"
