#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/KeychainHelper.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/ProviderEvents.h"

#include <QProcess>
#include <QTest>

#include <csignal>
#include <memory>

// The headless commands of the real program, against the loopback provider and the session keyring.
class TestCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<LoopbackServer> m_server;

    struct Run
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    void start(QProcess &process, const QStringList &args, const QByteArray &input = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Qt's network thread now and then leaves an unreachable cycle of its own
        // objects at exit, which would turn the exit status into a leak report.
        // Our own code paths are leak-checked in process by the view model and client tests.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.insert(QStringLiteral("TARNWICK_GEMINI_BASE_URL"), m_server->baseUrl());
        env.insert(QStringLiteral("TARNWICK_OPENROUTER_BASE_URL"), m_server->baseUrl());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TARNWICK_BINARY), args);
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
    }

    // Waits on the event loop: the loopback server lives in this process.
    Run run(const QStringList &args, const QByteArray &input = {})
    {
        QProcess process;
        start(process, args, input);
        [&] { QVERIFY(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000)); }();
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_server = std::make_unique<LoopbackServer>();
    }

    void cleanup()
    {
        m_server.reset();
        m_home.reset();
    }

    void setKeyThenAskStreamsTheAnswer()
    {
        Run stored = run({QStringLiteral("set-key"), QStringLiteral("gemini")}, "  cli-key-\xc3\xa9\n");
        QCOMPARE(stored.exitCode, 0);
        QCOMPARE(KeychainHelper::load(KeychainHelper::geminiAccount), QStringLiteral("cli-key-é"));

        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("Hello") + geminiEvent(", world"), 3));
        Run asked = run({QStringLiteral("ask"), QStringLiteral("--model"), QStringLiteral("gemini-x"),
                         QStringLiteral("say"), QStringLiteral("hello")});
        QVERIFY2(asked.exitCode == 0, asked.err.constData());
        QCOMPARE(asked.out, "Hello, world");
        QVERIFY(asked.err.isEmpty());
        const RecordedRequest &request = m_server->requests().first();
        QCOMPARE(request.path, "/v1beta/models/gemini-x:streamGenerateContent");
        QVERIFY(request.body.contains("\"text\":\"say hello\""));
        // Nothing is saved: no history, and the model override stays out of the preferences.
        QVERIFY(!QFile::exists(m_home->dataHome() + QStringLiteral("/Tarnwick/conversations.json")));
        QVERIFY(!UserDefaults(m_home->configHome() + QStringLiteral("/Tarnwick/preferences.json"))
                     .contains(Preferences::selectedGeminiModel));
    }

    void askReadsThePromptFromStandardInput()
    {
        QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("router-key")));
        m_server->enqueue(ScriptedResponse::withBody(
            200, "data: {\"choices\":[{\"delta\":{\"content\":\"piped\"}}]}\n\ndata: [DONE]\n\n"));
        Run asked = run({QStringLiteral("ask"), QStringLiteral("--provider"), QStringLiteral("openrouter")},
                        "from stdin\n");
        QCOMPARE(asked.exitCode, 0);
        QCOMPARE(asked.out, "piped");
        QCOMPARE(m_server->requests().first().path, "/api/v1/chat/completions");
        QVERIFY(m_server->requests().first().body.contains("from stdin"));
    }

    void askFailuresGoToStandardError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("rejected key") << QStringList{"ask", "hi"} << 401 << 1
                                      << QStringLiteral("Invalid API key. Please check your key in Settings.");
        QTest::newRow("unknown provider") << QStringList{"ask", "--provider", "claude", "hi"} << 0 << 2
                                          << QStringLiteral("Unknown provider");
        QTest::newRow("nothing to send") << QStringList{"ask", "  "} << 0 << 2 << QStringLiteral("Nothing to send");
        QTest::newRow("unreadable image") << QStringList{"ask", "--image", "/nonexistent.png"} << 0 << 2
                                          << QStringLiteral("Could not read the image");
    }

    void askFailuresGoToStandardError()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QVERIFY(KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("key")));
        if (status)
            m_server->enqueue(ScriptedResponse::withBody(status, "{}", 0, 0, "application/json"));
        Run asked = run(args);
        QCOMPARE(asked.exitCode, exitCode);
        QVERIFY(asked.out.isEmpty());
        QVERIFY2(QString::fromUtf8(asked.err).contains(error), asked.err.constData());
    }

    // Answers that break off keep what came and fail loudly.
    void askReportsBrokenAnswers_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("repeated");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("error");
        QTest::newRow("Gemini error without the data prefix, over several lines")
            << QByteArray("text/event-stream")
            << geminiEvent("Half an ans") + "{\n  \"error\": {\n    \"code\": 503,\n    \"message\": \"The model is "
                                            "overloaded.\",\n    \"status\": \"UNAVAILABLE\"\n  }\n}\n"
            << QByteArray() << QByteArray("Half an ans") << QStringLiteral("The model is overloaded.");
        QTest::newRow("captive portal page with status 200")
            << QByteArray("text/html") << QByteArray("<html><body>Accept the terms to continue</body></html>")
            << QByteArray() << QByteArray() << QStringLiteral("answered with text/html instead of an event stream");
        QTest::newRow("endless answer")
            << QByteArray("text/event-stream") << geminiEvent("start ")
            << geminiEvent(QByteArray(64 * 1024, 'x')) << QByteArray("start xxxx")
            << QStringLiteral("The answer passed 16 MB of text and was stopped there.");
    }

    void askReportsBrokenAnswers()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, repeated);
        QFETCH(QByteArray, out);
        QFETCH(QString, error);
        QVERIFY(KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("key")));
        ScriptedResponse response = ScriptedResponse::withBody(200, body, 0, 0, contentType);
        if (!repeated.isEmpty()) {
            response.writes.append({repeated, 0});
            response.repeatFrom = 1;
        }
        m_server->enqueue(response);
        Run asked = run({QStringLiteral("ask"), QStringLiteral("hi")});
        QCOMPARE(asked.exitCode, 1);
        QVERIFY2(asked.out.startsWith(out), asked.out.left(200).constData());
        if (!repeated.isEmpty())
            QVERIFY(asked.out.size() > 16 * 1024 * 1024 - 128 * 1024 && asked.out.size() <= 16 * 1024 * 1024);
        QVERIFY2(QString::fromUtf8(asked.err).contains(error), asked.err.constData());
    }

    void askWithoutKeySaysSo()
    {
        QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QString()));
        Run asked = run({QStringLiteral("ask"), QStringLiteral("--provider"), QStringLiteral("OpenRouter"),
                         QStringLiteral("hi")});
        QCOMPARE(asked.exitCode, 1);
        QCOMPARE(asked.err, "No API key set for OpenRouter. Open Settings to configure it.\n");
        QVERIFY(m_server->requests().isEmpty());
    }

    void interruptCancelsTheRequest()
    {
        QVERIFY(KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("key")));
        ScriptedResponse stall = ScriptedResponse::withBody(200, geminiEvent("begun"));
        stall.ending = ScriptedResponse::Ending::Stall;
        m_server->enqueue(stall);
        QProcess process;
        start(process, {QStringLiteral("ask"), QStringLiteral("hi")});
        QVERIFY(QTest::qWaitFor([&] { return process.bytesAvailable() >= 5; }, 20000));
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(process.readAllStandardOutput(), "begun");
        QVERIFY(QTest::qWaitFor([this] { return m_server->requests().first().closedByClient; }, 10000));
    }

    void setKeyRefusesEmptyInputAndArguments()
    {
        QVERIFY(KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("kept")));
        QCOMPARE(run({QStringLiteral("set-key"), QStringLiteral("gemini")}, "\n").exitCode, 2);
        QCOMPARE(run({QStringLiteral("set-key"), QStringLiteral("gemini"), QStringLiteral("secret")}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("set-key"), QStringLiteral("claude")}, "x").exitCode, 2);
        QCOMPARE(KeychainHelper::load(KeychainHelper::geminiAccount), QStringLiteral("kept"));
    }

    void modelsPrintsAndCachesTheCatalogue()
    {
        QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("router-key")));
        m_server->enqueue(ScriptedResponse::withBody(
            200, R"({"data":[{"id":"openai/o3-mini"},{"name":"no id"},{"id":"anthropic/claude"}]})", 0, 0,
            "application/json"));
        Run listed = run({QStringLiteral("models")});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.out, "anthropic/claude\nopenai/o3-mini\n");
        QCOMPARE(m_server->requests().first().header("Authorization"), "Bearer router-key");
        UserDefaults stored(m_home->configHome() + QStringLiteral("/Tarnwick/preferences.json"));
        QCOMPARE(stored.stringList(Preferences::cachedOpenRouterModels),
                 (QStringList{"anthropic/claude", "openai/o3-mini"}));
    }

    void versionAndHelp()
    {
        Run version = run({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, "tarnwick " TARNWICK_VERSION "\n");
        Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("set-key gemini|openrouter"));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
