#include "services/RegionSelection.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using RegionSelection::ScreenGrab;

namespace {

// A grab whose every pixel encodes its own device coordinates, so a wrong
// offset or scale shows up as a wrong colour.
QImage coordinateImage(QSize size, int screenTag)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, screenTag));
    }
    return image;
}

// Colour spaces and formats aside: do the pixels show the same picture?
int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & RGB_MASK) != (b.pixel(x, y) & RGB_MASK);
    }
    return count;
}

} // namespace

// The selector's geometry, then the real `tarnwick capture-region` on the
// test session's X server, driven by xdotool as a person would.
class TestCaptureRegion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dragSpansARectangle_data();
    void dragSpansARectangle();
    void composeAcrossScreens_data();
    void composeAcrossScreens();
    void selectorOnTheXServer_data();
    void selectorOnTheXServer();

private:
    bool needsXServer();
    QProcess *startSelector(const QString &output, const QByteArray &scaleFactor = {});
    bool waitForSelectorWindow();
    void drag(QPoint from, QPoint to);

    QTemporaryDir m_scratch;
};

void TestCaptureRegion::dragSpansARectangle_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("current");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("down and right") << QPoint(100, 120) << QPoint(300, 270) << QRect(100, 120, 200, 150);
    QTest::newRow("up and left is the same rectangle") << QPoint(300, 270) << QPoint(100, 120) << QRect(100, 120, 200, 150);
    QTest::newRow("past the desktop's edge is clipped") << QPoint(1800, 1000) << QPoint(2500, 1400) << QRect(1800, 1000, 120, 80);
    QTest::newRow("a click spans nothing") << QPoint(50, 50) << QPoint(50, 50) << QRect();
}

void TestCaptureRegion::dragSpansARectangle()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, current);
    QFETCH(QRect, expected);
    const QRect spanned = RegionSelection::fromDrag(press, current, QRect(0, 0, 1920, 1080));
    QCOMPARE(spanned.isEmpty(), expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(spanned, expected);
}

void TestCaptureRegion::composeAcrossScreens_data()
{
    QTest::addColumn<QList<ScreenGrab>>("grabs");
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QSize>("size");
    // Pixels of the result and what they must hold: (x, y, screen tag) of the source grab.
    QTest::addColumn<QList<QPoint>>("probes");
    QTest::addColumn<QList<QRgb>>("colours");

    const QList<ScreenGrab> sideBySide{{QRect(0, 0, 800, 600), coordinateImage({800, 600}, 1)},
                                       {QRect(800, 0, 640, 480), coordinateImage({640, 480}, 2)}};
    QTest::newRow("across two screens") << sideBySide << QRect(780, 100, 40, 10) << QSize(40, 10)
                                        << QList<QPoint>{{19, 0}, {20, 0}}
                                        << QList<QRgb>{qRgb(799 % 256, 100, 1), qRgb(0, 100, 2)};
    QTest::newRow("below the smaller screen is black") << sideBySide << QRect(790, 470, 20, 20) << QSize(20, 20)
                                                       << QList<QPoint>{{15, 5}, {15, 15}}
                                                       << QList<QRgb>{qRgb(5, 470 % 256 + 5, 2), qRgb(0, 0, 0)};

    // Logical 960x540 shown with 1920x1080 device pixels.
    const QList<ScreenGrab> highDpi{{QRect(0, 0, 960, 540), coordinateImage({1920, 1080}, 3)}};
    QTest::newRow("double density keeps device pixels") << highDpi << QRect(50, 60, 100, 75) << QSize(200, 150)
                                                        << QList<QPoint>{{0, 0}, {199, 149}}
                                                        << QList<QRgb>{qRgb(100, 120, 3), qRgb(299 % 256, 269 % 256, 3)};

    const QList<ScreenGrab> mixed{{QRect(0, 0, 960, 540), coordinateImage({1920, 1080}, 4)},
                                  {QRect(960, 0, 800, 600), coordinateImage({800, 600}, 5)}};
    QTest::newRow("mixed densities take the finer one") << mixed << QRect(950, 10, 20, 10) << QSize(40, 20)
                                                        << QList<QPoint>{{0, 0}, {20, 0}, {22, 2}}
                                                        << QList<QRgb>{qRgb(1900 % 256, 20, 4), qRgb(0, 10, 5), qRgb(1, 11, 5)};
}

void TestCaptureRegion::composeAcrossScreens()
{
    QFETCH(QList<ScreenGrab>, grabs);
    QFETCH(QRect, selection);
    QFETCH(QSize, size);
    QFETCH(QList<QPoint>, probes);
    QFETCH(QList<QRgb>, colours);

    const QImage image = RegionSelection::compose(selection, grabs);
    QCOMPARE(image.size(), size);
    for (qsizetype i = 0; i < probes.size(); ++i)
        QCOMPARE(QColor(image.pixel(probes.at(i))), QColor(colours.at(i)));
}

bool TestCaptureRegion::needsXServer()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty();
}

QProcess *TestCaptureRegion::startSelector(const QString &output, const QByteArray &scaleFactor)
{
    auto *process = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!scaleFactor.isEmpty())
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scaleFactor));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TARNWICK_BINARY), {QStringLiteral("capture-region"), output});
    return process;
}

bool TestCaptureRegion::waitForSelectorWindow()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                           QStringLiteral("--name"), QStringLiteral("Tarnwick region selector")});
    return search.waitForFinished(15000) && search.exitCode() == 0;
}

void TestCaptureRegion::drag(QPoint from, QPoint to)
{
    const QPoint middle = (from + to) / 2;
    QProcess::execute(QStringLiteral("xdotool"),
                      {"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
                       "mousemove", QString::number(middle.x()), QString::number(middle.y()),
                       "mousemove", QString::number(to.x()), QString::number(to.y()), "mouseup", "1"});
}

void TestCaptureRegion::selectorOnTheXServer_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("scaleFactor");

    QTest::newRow("drag selects") << "drag" << QByteArray();
    QTest::newRow("drag selects on a double-density screen") << "drag" << QByteArray("2");
    QTest::newRow("Esc cancels") << "Escape" << QByteArray();
    QTest::newRow("right click cancels") << "right click" << QByteArray();
}

void TestCaptureRegion::selectorOnTheXServer()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, scaleFactor);
    if (!needsXServer())
        QSKIP("needs an X server, xdotool and ImageMagick (run inside scripts/test-session)");

    // Something to photograph, and the truth to compare with, taken before the selector starts.
    QProcess picture;
    picture.start(QStringLiteral("display"), {QStringLiteral("-geometry"), QStringLiteral("+120+130"), QStringLiteral("rose:")});
    QProcess shown;
    shown.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--class", "Display"});
    QVERIFY(shown.waitForFinished(15000));
    const QString truthPath = m_scratch.filePath(QStringLiteral("root.png"));
    QCOMPARE(QProcess::execute(QStringLiteral("import"), {"-window", "root", truthPath}), 0);

    const QString output = m_scratch.filePath(QStringLiteral("region.png"));
    QFile::remove(output);
    QProcess *selector = startSelector(output, scaleFactor);
    QVERIFY(waitForSelectorWindow());

    if (action == QLatin1String("drag")) {
        drag({300, 270}, {100, 120});
    } else if (action == QLatin1String("right click")) {
        QProcess::execute(QStringLiteral("xdotool"), {"mousemove", "400", "400", "click", "3"});
    } else {
        // The keyboard grab lands a moment after the window maps; a person would press again too.
        for (int attempt = 0; attempt < 20 && selector->state() != QProcess::NotRunning; ++attempt) {
            QProcess::execute(QStringLiteral("xdotool"), {"key", action});
            selector->waitForFinished(250);
        }
    }
    QVERIFY(selector->state() == QProcess::NotRunning || selector->waitForFinished(15000));
    picture.kill();
    picture.waitForFinished();

    if (action != QLatin1String("drag")) {
        QVERIFY(selector->exitCode() != 0);
        QVERIFY(!QFile::exists(output));
        return;
    }
    QCOMPARE(selector->exitCode(), 0);
    const QImage region(output);
    QCOMPARE(region.size(), QSize(200, 150));
    // The frozen screen, pixel for pixel, not our dimmed overlay.
    const QImage truth = QImage(truthPath).copy(100, 120, 200, 150);
    QCOMPARE(differingPixels(region, truth), 0);
}

QTEST_GUILESS_MAIN(TestCaptureRegion)
#include "tst_captureregion.moc"
