// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/DictationTranscriber.h"
#include "llm/LLMClient.h"
#include "services/KeychainHelper.h"
#include "services/SpeechPresence.h"
#include "services/WavAudio.h"
#include "support/LoopbackServer.h"
#include "support/MemoryKeyStore.h"
#include "support/ProviderEvents.h"
#include "support/SpokenAudio.h"
#include "support/TranscriptionStandIn.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {
const QString kSentence = QStringLiteral("open the window please");

struct Outcome
{
    std::optional<DictationEngine> engine;
    QString text;
    QString failure;
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A port on which nothing listens.
quint16 closedPort()
{
    LoopbackServer gone;
    return gone.port();
}
} // namespace

// Each engine's request and answer against a loopback stand-in that takes the
// request apart as the real service would.
class TestTranscribers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (!canSpeak())
            QSKIP("needs espeak-ng and sox to make speech");
        const QString path = m_scratch.filePath(QStringLiteral("speech.wav"));
        QVERIFY(speak(kSentence, path));
        m_wav = WavAudio::fromPcm(WavAudio::toPcm(readFile(path)));
        QVERIFY(wavProblem(m_wav).isEmpty());
    }

    void init()
    {
        LLMClient::setIdleTimeout(std::chrono::seconds(60));
        LLMClient::setFirstByteTimeout(std::chrono::seconds(300));
        m_server = std::make_unique<LoopbackServer>();
        qputenv("TARNWICK_GEMINI_BASE_URL", m_server->baseUrl().toUtf8());
        qputenv("TARNWICK_OPENROUTER_BASE_URL", m_server->baseUrl().toUtf8());
        m_keys.save(KeychainHelper::geminiAccount, QStringLiteral("gemini-key"));
        m_keys.save(KeychainHelper::openRouterAccount, QStringLiteral("router-key"));
        m_keys.save(KeychainHelper::transcriptionAccount, QString());
    }

    void eachEngineSendsTheRecordingAndReadsTheText_data()
    {
        QTest::addColumn<DictationEngine>("engine");
        QTest::newRow("Gemini") << DictationEngine::Gemini;
        QTest::newRow("OpenRouter") << DictationEngine::OpenRouter;
        QTest::newRow("transcription server") << DictationEngine::Server;
    }

    void eachEngineSendsTheRecordingAndReadsTheText()
    {
        QFETCH(DictationEngine, engine);
        m_server->setResponder([](const RecordedRequest &request) { return transcriptionAnswer(request, kSentence); });
        const Outcome outcome = transcribe(settings(engine), QStringLiteral("de-AT"));
        QCOMPARE(outcome.failure, QString());
        QCOMPARE(outcome.text, kSentence);
        QCOMPARE(outcome.engine, engine);

        QCOMPARE(m_server->requests().size(), 1);
        const RecordedRequest &request = m_server->requests().first();
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        switch (engine) {
        case DictationEngine::Gemini:
            QCOMPARE(request.path, "/v1beta/models/" + DictationSettings::geminiModel.toUtf8() + ":generateContent");
            QCOMPARE(request.header("x-goog-api-key"), "gemini-key");
            QCOMPARE(geminiAudio(request), m_wav);
            QCOMPARE(body["generationConfig"]["temperature"].toInt(-1), 0);
            QCOMPARE(body["generationConfig"]["thinkingConfig"]["thinkingBudget"].toInt(-1), 0);
            QVERIFY(body["contents"][0]["parts"][1]["text"].toString().contains(QLatin1String("German")));
            break;
        case DictationEngine::OpenRouter:
            QCOMPARE(request.header("Authorization"), "Bearer router-key");
            QCOMPARE(body["model"].toString(), DictationSettings::openRouterModel);
            QCOMPARE(body["stream"].toBool(true), false);
            QCOMPARE(openRouterAudio(request), m_wav);
            QVERIFY(body["messages"][0]["content"][0]["text"].toString().contains(QLatin1String("do not answer")));
            break;
        default: {
            QCOMPARE(request.path, "/v1/audio/transcriptions");
            const QList<FormField> fields = formFields(request);
            QCOMPARE(serverAudio(request), m_wav);
            QCOMPARE(formField(fields, "file").filename, "dictation.wav");
            QCOMPARE(formField(fields, "model").data, "large-v3");
            QCOMPARE(formField(fields, "language").data, "de");
            QCOMPARE(formField(fields, "response_format").data, "json");
            break;
        }
        }
    }

    void serverKeyIsSentOnlyWhenSet()
    {
        m_server->setResponder([](const RecordedRequest &request) { return transcriptionAnswer(request, kSentence); });
        QCOMPARE(transcribe(settings(DictationEngine::Server)).text, kSentence);
        m_keys.save(KeychainHelper::transcriptionAccount, QStringLiteral("server-key"));
        QCOMPARE(transcribe(settings(DictationEngine::Server)).text, kSentence);

        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(m_server->requests()[0].header("Authorization"), QByteArray());
        QCOMPARE(m_server->requests()[1].header("Authorization"), "Bearer server-key");
        // No language given, none sent: the server finds out.
        QCOMPARE(formField(formFields(m_server->requests()[0]), "language").name, QByteArray());
    }

    void failuresAreTold_data()
    {
        QTest::addColumn<DictationEngine>("engine");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("told");

        const QByteArray html = "<!DOCTYPE html><html><body>Sign in to the hotel network</body></html>";
        QTest::newRow("rejected key") << DictationEngine::Gemini << 401 << providerErrorBody(401, "bad key")
                                      << QStringLiteral("Gemini could not transcribe: Invalid API key");
        QTest::newRow("rate limit") << DictationEngine::OpenRouter << 429 << providerErrorBody(429, "slow down")
                                    << QStringLiteral("Rate limit exceeded");
        QTest::newRow("recording too large")
            << DictationEngine::Server << 413 << QByteArray("Payload Too Large") << QStringLiteral("too large");
        QTest::newRow("sign-in page") << DictationEngine::Gemini << 200 << html << QStringLiteral("web page");
        QTest::newRow("error inside a 200 answer")
            << DictationEngine::OpenRouter << 200 << providerErrorBody(502, "Provider returned error")
            << QStringLiteral("Provider returned error");
        QTest::newRow("no text in the answer")
            << DictationEngine::Server << 200 << QByteArray("{\"segments\":[]}") << QStringLiteral("no \"text\"");
        QTest::newRow("silent server") << DictationEngine::Server << 0 << QByteArray()
                                       << QStringLiteral("sent nothing");
        QTest::newRow("no server") << DictationEngine::Server << -1 << QByteArray()
                                   << QStringLiteral("connection refused. Is the server running?");
        QTest::newRow("no key") << DictationEngine::OpenRouter << -2 << QByteArray()
                                << QStringLiteral("No API key set for OpenRouter");
    }

    void failuresAreTold()
    {
        QFETCH(DictationEngine, engine);
        QFETCH(int, status);
        QFETCH(QByteArray, answer);
        QFETCH(QString, told);

        DictationSettings chosen = settings(engine);
        if (status == 0) {
            LLMClient::setFirstByteTimeout(std::chrono::milliseconds(300));
            ScriptedResponse stall;
            stall.ending = ScriptedResponse::Ending::Stall;
            m_server->enqueue(stall);
        } else if (status == -1) {
            chosen.serverAddress = QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort());
        } else if (status == -2) {
            m_keys.save(KeychainHelper::openRouterAccount, QString());
        } else {
            m_server->enqueue(ScriptedResponse::withBody(status, answer, 0, 0,
                                                         answer.startsWith('<') ? "text/html" : "application/json"));
        }
        const Outcome outcome = transcribe(chosen);
        QCOMPARE(outcome.text, QString());
        QVERIFY2(outcome.failure.contains(told), qPrintable(outcome.failure));
        if (status == -2)
            QCOMPARE(m_server->requests().size(), 0);
    }

    void automaticFollowsChatProviderThenServerThenOffline()
    {
        m_server->setResponder([](const RecordedRequest &request) {
            if (request.method == "GET")
                return ScriptedResponse::withBody(404, "no such page", 0, 0, "text/plain");
            return transcriptionAnswer(request, kSentence);
        });
        DictationSettings automatic = settings(DictationEngine::Automatic);

        automatic.chatProvider = LLMProvider::Gemini;
        QCOMPARE(transcribe(automatic).engine, DictationEngine::Gemini);
        automatic.chatProvider = LLMProvider::OpenRouter;
        QCOMPARE(transcribe(automatic).engine, DictationEngine::OpenRouter);

        // Without the chat provider's key, a server that answers at all (a 404 to the probe too) is used.
        m_keys.save(KeychainHelper::openRouterAccount, QString());
        const Outcome server = transcribe(automatic);
        QCOMPARE(server.engine, DictationEngine::Server);
        QCOMPARE(server.text, kSentence);

        automatic.chatProvider = LLMProvider::Local;
        automatic.serverAddress = QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort());
        DictationTranscriber offline(automatic, m_keys);
        std::optional<DictationEngine> chosen;
        connect(&offline, &DictationTranscriber::engineChosen, this, [&](DictationEngine engine) { chosen = engine; });
        offline.transcribe(m_wav, {});
        QTRY_COMPARE_WITH_TIMEOUT(chosen, DictationEngine::Offline, 10000);
        offline.cancel();
    }

    void silenceAndShortClipsHoldNoSpeech()
    {
        const QByteArray speech = WavAudio::toPcm(m_wav);
        QVERIFY(SpeechPresence::holdsSpeech(speech));

        QByteArray quietRoom(3 * 32000, '\0');
        auto *samples = reinterpret_cast<qint16 *>(quietRoom.data());
        for (qsizetype i = 0; i < quietRoom.size() / 2; ++i)
            samples[i] = qint16((i * 7919) % 121 - 60); // a hiss at about -55 dBFS
        QVERIFY(!SpeechPresence::holdsSpeech(quietRoom));
        QVERIFY(!SpeechPresence::holdsSpeech(QByteArray()));

        // The loudest 0.4 s of the sentence is still too short to send.
        const qsizetype middle = speech.size() / 2 & ~qsizetype(1);
        QVERIFY(!SpeechPresence::holdsSpeech(speech.mid(middle - 6400, 12800)));
        // Speech after seconds of hiss still counts.
        QVERIFY(SpeechPresence::holdsSpeech(quietRoom + speech));
    }

    void microphoneAtItsOwnRateBecomesSixteenKilohertzWav()
    {
        const QString device = m_scratch.filePath(QStringLiteral("device.wav"));
        QVERIFY(speak(kSentence, device, {"-r", "44100", "-c", "2", "-e", "floating-point", "-b", "32"}));
        const QByteArray pcm = WavAudio::toPcm(readFile(device));
        const QByteArray wav = WavAudio::fromPcm(pcm);
        QCOMPARE(wavProblem(wav), QString());
        const qsizetype expected = WavAudio::toPcm(m_wav).size();
        QVERIFY2(qAbs(pcm.size() - expected) <= 64,
                 qPrintable(QStringLiteral("%1 vs %2").arg(pcm.size()).arg(expected)));
        QVERIFY(SpeechPresence::holdsSpeech(pcm));
    }

private:
    DictationSettings settings(DictationEngine engine) const;
    Outcome transcribe(const DictationSettings &settings, const QString &language = {});

    QTemporaryDir m_scratch;
    QByteArray m_wav;
    std::unique_ptr<LoopbackServer> m_server;
    MemoryKeyStore m_keys;
};

DictationSettings TestTranscribers::settings(DictationEngine engine) const
{
    DictationSettings settings;
    settings.engine = engine;
    settings.serverAddress = m_server->baseUrl() + QStringLiteral("/v1");
    settings.serverModel = QStringLiteral("large-v3");
    settings.chatProvider = LLMProvider::Local;
    return settings;
}

Outcome TestTranscribers::transcribe(const DictationSettings &settings, const QString &language)
{
    Outcome outcome;
    DictationTranscriber transcriber(settings, m_keys);
    bool done = false;
    connect(&transcriber, &DictationTranscriber::engineChosen, this,
            [&](DictationEngine engine) { outcome.engine = engine; });
    connect(&transcriber, &Transcriber::transcribed, this, [&](const QString &text) {
        outcome.text = text;
        done = true;
    });
    connect(&transcriber, &Transcriber::failed, this, [&](const QString &reason) {
        outcome.failure = reason;
        done = true;
    });
    transcriber.transcribe(m_wav, language);
    if (!QTest::qWaitFor([&] { return done; }, 30000))
        outcome.failure = QStringLiteral("(no result)");
    return outcome;
}

QTEST_GUILESS_MAIN(TestTranscribers)
#include "tst_transcribers.moc"
