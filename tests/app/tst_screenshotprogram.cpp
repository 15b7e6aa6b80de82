// The screenshot road through the real program: hotkey, our region selector
// over a frozen screen, an xdotool drag, the picture in the launcher.
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int kTimeout = 30000;
const QString kShown = QStringLiteral("notification ShowTarnwick");
} // namespace

class TestScreenshotProgram : public XSessionTest
{
    Q_OBJECT

private Q_SLOTS:
    void regionEndsUpInTheLauncher_data();
    void regionEndsUpInTheLauncher();

private:
    // Magenta pixels in the launcher panel: the attached picture's thumbnail.
    int magentaInPanel(quint32 panel);

    QTemporaryDir m_scratch;
};

int TestScreenshotProgram::magentaInPanel(quint32 panel)
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

void TestScreenshotProgram::regionEndsUpInTheLauncher_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("drag attaches the region") << false;
    QTest::newRow("Esc attaches nothing") << true;
}

void TestScreenshotProgram::regionEndsUpInTheLauncher()
{
    QFETCH(bool, cancel);
    TarnwickProcess tarnwick(session());
    tarnwick.start();
    QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-screenshot-active")), 1, kTimeout);
    const quint32 panel = tarnwick.windowId(QStringLiteral("launcher-window"));
    QVERIFY(
        session().startHelper(QStringLiteral("display"), {"-geometry", "+900+500", "-size", "240x180", "xc:magenta"}));
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

QTEST_GUILESS_MAIN(TestScreenshotProgram)
#include "tst_screenshotprogram.moc"
