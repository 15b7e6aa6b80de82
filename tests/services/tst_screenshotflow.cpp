#include "platform/NotificationCenter.h"
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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

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

class TestScreenshotFlow : public QObject
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

private:
    // Runs one flow to its end and returns what observers saw, in order.
    QStringList runFlow(ScreenshotFlow &flow, QImage *image = nullptr);
    QString writeScript(const QString &body);

    QTemporaryDir m_runtime;
    QTemporaryDir m_scratch;
    QString m_picture;
};

void TestScreenshotFlow::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    m_picture = m_scratch.filePath(QStringLiteral("picture.png"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(m_picture));
}

void TestScreenshotFlow::init()
{
    qunsetenv("TARNWICK_SCREENSHOT_COMMAND");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
}

QStringList TestScreenshotFlow::runFlow(ScreenshotFlow &flow, QImage *image)
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

QString TestScreenshotFlow::writeScript(const QString &body)
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

void TestScreenshotFlow::commandLineWords_data()
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

void TestScreenshotFlow::commandLineWords()
{
    QFETCH(QString, line);
    QFETCH(std::optional<QStringList>, words);
    QCOMPARE(splitShellWords(line), words);
}

void TestScreenshotFlow::captureCommand_data()
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

void TestScreenshotFlow::captureCommand()
{
    QFETCH(QString, body);
    QFETCH(bool, attached);

    // The script sits in a folder with a blank, so the command line needs its quotes.
    const QString command = body.isEmpty() ? QStringLiteral("/nonexistent/capture-tool --region")
        : body == QLatin1String("'")       ? QStringLiteral("'unclosed --region")
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
    const auto othersAccess = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(folder.permissions() & othersAccess, QFile::Permissions());
}

void TestScreenshotFlow::secondStartIsRefusedWhileRunning()
{
    const QString marker = m_scratch.filePath(QStringLiteral("runs"));
    const QString script = writeScript(QStringLiteral("echo run >> '%1'; sleep 0.5; cp '%2' \"$1\"").arg(marker, m_picture));
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

void TestScreenshotFlow::flowEndedMidCaptureShowsTheLauncherAgain()
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

void TestScreenshotFlow::portal_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("attached");

    QTest::newRow("region picked") << int(FakeScreenshotPortal::Answer::Picked) << true;
    QTest::newRow("user cancelled") << int(FakeScreenshotPortal::Answer::Cancelled) << false;
    QTest::newRow("answer on the portal's own request path") << int(FakeScreenshotPortal::Answer::PickedOnOwnPath) << true;
    QTest::newRow("portal quits mid-request") << int(FakeScreenshotPortal::Answer::Vanish) << false;
}

void TestScreenshotFlow::portal()
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

QTEST_GUILESS_MAIN(TestScreenshotFlow)
#include "tst_screenshotflow.moc"
