// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/ProviderEvents.h"
#include "support/SpokenAudio.h"
#include "support/TranscriptionStandIn.h"

#include "../app/ProgramRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const QString kSentence = QStringLiteral("what time is it in new york");
}

// `tarnwick transcribe` end to end: the real program, its keys in the key
// file (no keyring on this bus), each engine's loopback stand-in.
class TestTranscribeCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!canSpeak())
            QSKIP("needs espeak-ng and sox to make speech");
        m_speech = m_scratch.filePath(QStringLiteral("speech.wav"));
        QVERIFY(speak(kSentence, m_speech, {"-r", "22050", "-c", "1", "-b", "16"}));
        m_silence = m_scratch.filePath(QStringLiteral("silence.wav"));
        QCOMPARE(QProcess::execute(QStringLiteral("sox"),
                                   {"-n", "-r", "16000", "-c", "1", "-b", "16", m_silence, "trim", "0", "3"}),
                 0);
    }

    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_server = std::make_unique<LoopbackServer>();
        m_transcriptionAddress = m_server->baseUrl() + QStringLiteral("/v1");
        m_server->setResponder([](const RecordedRequest &request) { return transcriptionAnswer(request, kSentence); });
        QCOMPARE(run({"set-key", "gemini"}, "g-key\n").exitCode, 0);
        QCOMPARE(run({"set-key", "openrouter"}, "o-key\n").exitCode, 0);
    }

    void cleanup()
    {
        m_server.reset();
        m_home.reset();
    }

    void eachEnginePrintsTheTranscript_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("gemini") << "gemini" << QByteArray("/v1beta/models/gemini-2.5-flash-lite:generateContent");
        QTest::newRow("openrouter") << "OpenRouter" << QByteArray("/api/v1/chat/completions");
        QTest::newRow("local") << "local" << QByteArray("/v1/audio/transcriptions");
    }

    void eachEnginePrintsTheTranscript()
    {
        QFETCH(QString, engine);
        QFETCH(QByteArray, path);
        const ProgramRun result = run({"transcribe", "--engine", engine, "--language", "en-US", m_speech});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.out, kSentence.toUtf8() + '\n');
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().path, path);
    }

    void withoutEngineItPicksAsAutomatic()
    {
        // The chat provider is Local: the transcription server, which answers, is used.
        UserDefaults(m_home->preferencesFile()).set(Preferences::selectedProvider, QStringLiteral("Local"));
        const ProgramRun result = run({"transcribe", m_speech});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.out, kSentence.toUtf8() + '\n');
        QCOMPARE(m_server->requests().last().path, "/v1/audio/transcriptions");

        // Offline when no server answers either: PocketSphinx's words, whatever they are.
        m_transcriptionAddress = QStringLiteral("http://127.0.0.1:%1/v1").arg([] {
            LoopbackServer gone;
            return gone.port();
        }());
        const ProgramRun offline = run({"transcribe", m_speech});
        QVERIFY2(offline.exitCode == 0, offline.err.constData());
        QVERIFY(!offline.out.trimmed().isEmpty());
    }

    void silenceSendsNothing()
    {
        const ProgramRun result = run({"transcribe", "--engine", "gemini", m_silence});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, "No speech heard\n");
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(m_server->requests().size(), 0);
    }

    void failureIsToldOnStandardError()
    {
        m_server->setResponder([](const RecordedRequest &) {
            return ScriptedResponse::withBody(401, providerErrorBody(401, "bad key"), 0, 0, "application/json");
        });
        const ProgramRun result = run({"transcribe", "--engine", "openrouter", m_speech});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains("OpenRouter could not transcribe: Invalid API key"), result.err.constData());
    }

    void badArgumentsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no file") << QStringList{"transcribe"};
        QTest::newRow("two files") << QStringList{"transcribe", "a.wav", "b.wav"};
        QTest::newRow("unknown engine") << QStringList{"transcribe", "--engine", "siri", "a.wav"};
        QTest::newRow("unknown option") << QStringList{"transcribe", "--loud", "a.wav"};
        QTest::newRow("missing file") << QStringList{"transcribe", "/nonexistent/a.wav"};
        QTest::newRow("not a WAV file") << QStringList{"transcribe", QStringLiteral(TARNWICK_BINARY)};
    }

    void badArgumentsExitTwo()
    {
        QFETCH(QStringList, arguments);
        const ProgramRun result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(!result.err.isEmpty());
        QCOMPARE(m_server->requests().size(), 0);
    }

private:
    ProgramRun run(const QStringList &args, const QByteArray &input = {}) const;

    QTemporaryDir m_scratch;
    QString m_speech;
    QString m_silence;
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<LoopbackServer> m_server;
    QString m_transcriptionAddress;
};

ProgramRun TestTranscribeCommand::run(const QStringList &args, const QByteArray &input) const
{
    QProcessEnvironment env = loopbackEnvironment(m_server->baseUrl());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    env.insert(QStringLiteral("TARNWICK_TRANSCRIPTION_BASE_URL"), m_transcriptionAddress);
    return runProgram(args, env, input);
}

QTEST_GUILESS_MAIN(TestTranscribeCommand)
#include "tst_transcribecommand.moc"
