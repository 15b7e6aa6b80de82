// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots: the flow around a capture (its command, the desktop's portal),
// the region selector's geometry, and the real `tarnwick capture-region` on
// the test session's X server, driven by xdotool as a person would.
#include "platform/NotificationCenter.h"
#include "services/RegionSelection.h"
#include "services/ScreenshotFlow.h"
#include "services/ShellWords.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

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

// Stands in for the desktop's screenshot portal on the private test bus and
// answers the Request/Response handshake as the user's choice says.
class FakeScreenshotPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

public:
    enum class Answer { Picked, Cancelled, PickedOnOwnPath, Vanish };

    FakeScreenshotPortal(Answer answer, QString picturePath)
        : m_answer(answer)
        , m_picturePath(std::move(picturePath))
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal")))
    {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this, QDBusConnection::ExportAllSlots);
        m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~FakeScreenshotPortal() override
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }

    QVariantMap lastOptions;

public Q_SLOTS:
    QDBusObjectPath Screenshot(const QString &, const QVariantMap &options)
    {
        lastOptions = options;
        QString sender = message().service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                           .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        if (m_answer == Answer::PickedOnOwnPath)
            path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/legacy7").arg(sender);
        QTimer::singleShot(50, this, [this, path] { answer(path); });
        return QDBusObjectPath(path);
    }

private:
    void answer(const QString &path)
    {
        if (m_answer == Answer::Vanish) {
            m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
            return;
        }
        QDBusMessage response = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                           QStringLiteral("Response"));
        const bool picked = m_answer != Answer::Cancelled;
        QVariantMap results;
        if (picked)
            results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(m_picturePath).toString());
        response << uint(picked ? 0 : 1) << results;
        m_bus.send(response);
    }

    Answer m_answer;
    QString m_picturePath;
    QDBusConnection m_bus;
};

class TestScreenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void commandLineWords_data();
    void commandLineWords();
    void captureCommand_data();
    void captureCommand();
    void secondStartIsRefusedWhileRunning();
    void flowEndedMidCaptureShowsTheLauncherAgain();
    void portal_data();
    void portal();
    void dragSpansARectangle_data();
    void dragSpansARectangle();
    void composeAcrossScreens_data();
    void composeAcrossScreens();
    void selectorOnTheXServer_data();
    void selectorOnTheXServer();

private:
    // Runs one flow to its end and returns what observers saw, in order.
    QStringList runFlow(ScreenshotFlow &flow, QImage *image = nullptr);
    QString writeScript(const QString &body);
    bool needsXServer();
    QProcess *startSelector(const QString &output, const QByteArray &scaleFactor = {});
    bool waitForSelectorWindow();
    void drag(QPoint from, QPoint to);

    QTemporaryDir m_runtime;
    QTemporaryDir m_scratch;
    QString m_picture;
};

void TestScreenshots::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    m_picture = m_scratch.filePath(QStringLiteral("picture.png"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(m_picture));
}

void TestScreenshots::init()
{
    qunsetenv("TARNWICK_SCREENSHOT_COMMAND");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
}

QStringList TestScreenshots::runFlow(ScreenshotFlow &flow, QImage *image)
{
    QStringList events;
    auto posted = connect(&NotificationCenter::defaultCenter(), &NotificationCenter::posted, this,
                          [&events](const QString &name) { events << name; });
    connect(&flow, &ScreenshotFlow::hideRequested, this, [&events] { events << QStringLiteral("hide"); });
    connect(&flow, &ScreenshotFlow::showRequested, this, [&events] { events << QStringLiteral("show"); });
    connect(&flow, &ScreenshotFlow::captured, this, [&events, image](const QImage &captured) {
        events << QStringLiteral("captured");
        if (image)
            *image = captured;
    });
    connect(&flow, &ScreenshotFlow::finished, this, [&events] { events << QStringLiteral("finished"); });
    QSignalSpy finished(&flow, &ScreenshotFlow::finished);
    if (flow.start())
        finished.wait(10000);
    disconnect(posted);
    return events;
}

QString TestScreenshots::writeScript(const QString &body)
{
    const QString path = m_scratch.filePath(QStringLiteral("capture tools/capture.sh"));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body.toUtf8() + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void TestScreenshots::commandLineWords_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<std::optional<QStringList>>("words");

    QTest::newRow("blanks between words") << "maim  -s\t-u" << std::optional(QStringList{"maim", "-s", "-u"});
    QTest::newRow("single quotes keep blanks and backslashes")
        << "'/opt/My Tools/shot' 'a\\b'" << std::optional(QStringList{"/opt/My Tools/shot", "a\\b"});
    QTest::newRow("double quotes honour their escapes")
        << R"("say \"hi\" \$HOME \n")" << std::optional(QStringList{R"(say "hi" $HOME \n)"});
    QTest::newRow("quoted parts join one word") << R"(a"b c"'d')" << std::optional(QStringList{"ab cd"});
    QTest::newRow("no expansion") << "echo $HOME ~ *" << std::optional(QStringList{"echo", "$HOME", "~", "*"});
    QTest::newRow("open single quote") << "tool 'a" << std::optional<QStringList>();
    QTest::newRow("lone backslash at the end") << "tool \\" << std::optional<QStringList>();
}

void TestScreenshots::commandLineWords()
{
    QFETCH(QString, line);
    QFETCH(std::optional<QStringList>, words);
    QCOMPARE(splitShellWords(line), words);
}

void TestScreenshots::captureCommand_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("attached");

    // The last argument is the output path; the script also proves the stale file was deleted first.
    QTest::newRow("region picked") << QStringLiteral("[ -e \"$2\" ] && exit 3; cp '%1' \"$2\"") << true;
    QTest::newRow("cancelled, exit 0 and no file") << QStringLiteral("exit 0") << false;
    QTest::newRow("file that is no image") << QStringLiteral("echo garbage > \"$2\"") << false;
    QTest::newRow("picture written but tool failed") << QStringLiteral("cp '%1' \"$2\"; exit 1") << false;
    QTest::newRow("command that does not exist") << QString() << false;
    QTest::newRow("command line with an open quote") << QStringLiteral("'") << false;
}

void TestScreenshots::captureCommand()
{
    QFETCH(QString, body);
    QFETCH(bool, attached);

    // The script sits in a folder with a blank, so the command line needs its quotes.
    const QString command = body.isEmpty() ? QStringLiteral("/nonexistent/capture-tool --region")
        : body == QLatin1String("'")
        ? QStringLiteral("'unclosed --region")
        : QStringLiteral("'%1' --region").arg(writeScript(body.replace(QStringLiteral("%1"), m_picture)));
    qputenv("TARNWICK_SCREENSHOT_COMMAND", command.toLocal8Bit());

    // A picture left by an earlier run must never be attached by this one.
    const QString path = ScreenshotFlow::capturePath();
    QVERIFY(path.startsWith(m_runtime.path()));
    QVERIFY(QFile::copy(m_picture, path));

    ScreenshotFlow flow;
    QImage image;
    const QStringList events = runFlow(flow, &image);
    const QStringList expected = attached
        ? QStringList{"HideTarnwick", "hide", "captured", "ShowTarnwick", "show", "finished"}
        : QStringList{"HideTarnwick", "hide", "ShowTarnwick", "show", "finished"};
    QCOMPARE(events, expected);
    if (attached)
        QCOMPARE(image.size(), QSize(40, 30));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!flow.isRunning());

    const QFileInfo folder(QFileInfo(path).path());
    const auto othersAccess =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(folder.permissions() & othersAccess, QFile::Permissions());
}

void TestScreenshots::secondStartIsRefusedWhileRunning()
{
    const QString marker = m_scratch.filePath(QStringLiteral("runs"));
    const QString script =
        writeScript(QStringLiteral("echo run >> '%1'; sleep 0.5; cp '%2' \"$1\"").arg(marker, m_picture));
    qputenv("TARNWICK_SCREENSHOT_COMMAND", ("'" + script + "'").toLocal8Bit());

    ScreenshotFlow flow;
    QSignalSpy hides(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
    QSignalSpy captured(&flow, &ScreenshotFlow::captured);
    QSignalSpy finished(&flow, &ScreenshotFlow::finished);
    QVERIFY(flow.start());
    QVERIFY(flow.isRunning());
    QVERIFY(!flow.start());
    QTest::qWait(500);
    QVERIFY(!flow.start());
    QVERIFY(finished.wait(10000));
    QCOMPARE(captured.count(), 1);
    QCOMPARE(hides.count(), 2);
    QFile runs(marker);
    QVERIFY(runs.open(QIODevice::ReadOnly));
    QCOMPARE(runs.readAll(), QByteArray("run\n"));

    // Once over, the next request is welcome again.
    QVERIFY(flow.start());
    QVERIFY(finished.wait(10000));
    QCOMPARE(captured.count(), 2);
}

void TestScreenshots::flowEndedMidCaptureShowsTheLauncherAgain()
{
    const QString script = writeScript(QStringLiteral("cp '%1' \"$1\"; exec sleep 30").arg(m_picture));
    qputenv("TARNWICK_SCREENSHOT_COMMAND", ("'" + script + "'").toLocal8Bit());
    QSignalSpy posted(&NotificationCenter::defaultCenter(), &NotificationCenter::posted);
    {
        ScreenshotFlow flow;
        QVERIFY(flow.start());
        QTRY_VERIFY(QFile::exists(ScreenshotFlow::capturePath()));
    }
    QCOMPARE(posted.count(), 2);
    QCOMPARE(posted.last().first().toString(), QStringLiteral("ShowTarnwick"));
    QVERIFY(!QFile::exists(ScreenshotFlow::capturePath()));
}

void TestScreenshots::portal_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("attached");

    QTest::newRow("region picked") << int(FakeScreenshotPortal::Answer::Picked) << true;
    QTest::newRow("user cancelled") << int(FakeScreenshotPortal::Answer::Cancelled) << false;
    QTest::newRow("answer on the portal's own request path")
        << int(FakeScreenshotPortal::Answer::PickedOnOwnPath) << true;
    QTest::newRow("portal quits mid-request") << int(FakeScreenshotPortal::Answer::Vanish) << false;
}

void TestScreenshots::portal()
{
    QFETCH(int, answer);
    QFETCH(bool, attached);
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("needs a D-Bus session bus (run inside scripts/test-session)");
    qputenv("WAYLAND_DISPLAY", "wayland-test");

    // The portal saves its own file, which we take over.
    const QString portalFile = m_scratch.filePath(QStringLiteral("Screenshot-portal.png"));
    QVERIFY(QFile::copy(m_picture, portalFile) || QFile::exists(portalFile));
    FakeScreenshotPortal portal(FakeScreenshotPortal::Answer(answer), portalFile);

    ScreenshotFlow flow;
    QImage image;
    const QStringList events = runFlow(flow, &image);
    QCOMPARE(events.first(), QStringLiteral("HideTarnwick"));
    QCOMPARE(events.mid(events.size() - 3), (QStringList{"ShowTarnwick", "show", "finished"}));
    QCOMPARE(events.contains(QStringLiteral("captured")), attached);
    if (attached) {
        QCOMPARE(image.size(), QSize(40, 30));
        QVERIFY(!QFile::exists(portalFile));
    }
    QCOMPARE(portal.lastOptions.value(QStringLiteral("interactive")).toBool(), true);
    QVERIFY(!QFile::exists(ScreenshotFlow::capturePath()));
}

void TestScreenshots::dragSpansARectangle_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("current");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("down and right") << QPoint(100, 120) << QPoint(300, 270) << QRect(100, 120, 200, 150);
    QTest::newRow("up and left is the same rectangle")
        << QPoint(300, 270) << QPoint(100, 120) << QRect(100, 120, 200, 150);
    QTest::newRow("past the desktop's edge is clipped")
        << QPoint(1800, 1000) << QPoint(2500, 1400) << QRect(1800, 1000, 120, 80);
    QTest::newRow("a click spans nothing") << QPoint(50, 50) << QPoint(50, 50) << QRect();
}

void TestScreenshots::dragSpansARectangle()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, current);
    QFETCH(QRect, expected);
    const QRect spanned = RegionSelection::fromDrag(press, current, QRect(0, 0, 1920, 1080));
    QCOMPARE(spanned.isEmpty(), expected.isEmpty());
    if (!expected.isEmpty())
        QCOMPARE(spanned, expected);
}

void TestScreenshots::composeAcrossScreens_data()
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
    QTest::newRow("below the smaller screen is black")
        << sideBySide << QRect(790, 470, 20, 20) << QSize(20, 20) << QList<QPoint>{{15, 5}, {15, 15}}
        << QList<QRgb>{qRgb(5, 470 % 256 + 5, 2), qRgb(0, 0, 0)};

    // Logical 960x540 shown with 1920x1080 device pixels.
    const QList<ScreenGrab> highDpi{{QRect(0, 0, 960, 540), coordinateImage({1920, 1080}, 3)}};
    QTest::newRow("double density keeps device pixels")
        << highDpi << QRect(50, 60, 100, 75) << QSize(200, 150) << QList<QPoint>{{0, 0}, {199, 149}}
        << QList<QRgb>{qRgb(100, 120, 3), qRgb(299 % 256, 269 % 256, 3)};

    const QList<ScreenGrab> mixed{{QRect(0, 0, 960, 540), coordinateImage({1920, 1080}, 4)},
                                  {QRect(960, 0, 800, 600), coordinateImage({800, 600}, 5)}};
    QTest::newRow("mixed densities take the finer one")
        << mixed << QRect(950, 10, 20, 10) << QSize(40, 20) << QList<QPoint>{{0, 0}, {20, 0}, {22, 2}}
        << QList<QRgb>{qRgb(1900 % 256, 20, 4), qRgb(0, 10, 5), qRgb(1, 11, 5)};
}

void TestScreenshots::composeAcrossScreens()
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

bool TestScreenshots::needsXServer()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY")
        && !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty();
}

QProcess *TestScreenshots::startSelector(const QString &output, const QByteArray &scaleFactor)
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

bool TestScreenshots::waitForSelectorWindow()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {"search", "--sync", "--onlyvisible", "--name", "Tarnwick region selector"});
    return search.waitForFinished(15000) && search.exitCode() == 0;
}

void TestScreenshots::drag(QPoint from, QPoint to)
{
    const QPoint middle = (from + to) / 2;
    QProcess::execute(QStringLiteral("xdotool"),
                      {"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1", "mousemove",
                       QString::number(middle.x()), QString::number(middle.y()), "mousemove", QString::number(to.x()),
                       QString::number(to.y()), "mouseup", "1"});
}

void TestScreenshots::selectorOnTheXServer_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("scaleFactor");

    QTest::newRow("drag selects") << "drag" << QByteArray();
    QTest::newRow("drag selects on a double-density screen") << "drag" << QByteArray("2");
    QTest::newRow("Esc cancels") << "Escape" << QByteArray();
    QTest::newRow("right click cancels") << "right click" << QByteArray();
}

void TestScreenshots::selectorOnTheXServer()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, scaleFactor);
    if (!needsXServer())
        QSKIP("needs an X server, xdotool and ImageMagick (run inside scripts/test-session)");

    // Something to photograph, and the truth to compare with, taken before the selector starts.
    QProcess picture;
    picture.start(QStringLiteral("display"), {"-geometry", "+120+130", "rose:"});
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

QTEST_GUILESS_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
