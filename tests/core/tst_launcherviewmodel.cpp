// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/LauncherViewModel.h"
#include "core/SettingsModel.h"
#include "llm/LLMClient.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeychainHelper.h"
#include "support/AnswerWait.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/MemoryKeyStore.h"
#include "support/ProviderEvents.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// The launcher's and Settings' models against a real loopback provider; keys come from memory.
class TestLauncherViewModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<MemoryKeyStore> m_keys;
    std::unique_ptr<LauncherViewModel> m_vm;

    void clearKeys()
    {
        m_vm.reset();
        m_keys = std::make_unique<MemoryKeyStore>();
    }

    std::unique_ptr<SettingsModel> makeModel()
    {
        auto model = std::make_unique<SettingsModel>(*m_defaults, *m_keys, nullptr);
        if (!QTest::qWaitFor([&model] { return model->hasReadStoredKeys(); }, 10000))
            qWarning("the stored keys were not read");
        return model;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_defaults = std::make_unique<UserDefaults>(m_home->configHome() + QStringLiteral("/prefs.json"));
        m_server = std::make_unique<LoopbackServer>();
        qputenv("TARNWICK_GEMINI_BASE_URL", m_server->baseUrl().toUtf8());
        qputenv("TARNWICK_OPENROUTER_BASE_URL", m_server->baseUrl().toUtf8());
        qunsetenv("TARNWICK_LOCAL_BASE_URL");
        m_keys = std::make_unique<MemoryKeyStore>();
        m_keys->save(KeychainHelper::geminiAccount, QStringLiteral("gemini-key"));
        m_keys->save(KeychainHelper::openRouterAccount, QStringLiteral("router-key"));
        m_vm = std::make_unique<LauncherViewModel>(*m_defaults, *m_keys);
    }

    void cleanup()
    {
        if (m_keys)
            m_keys->release();
        m_vm.reset();
        m_server.reset();
        m_keys.reset();
        m_defaults.reset();
        m_home.reset();
    }

    void storedChoicesAndWriteBack()
    {
        m_defaults->set(Preferences::selectedProvider, QStringLiteral("OpenRouter"));
        m_defaults->set(Preferences::appTheme, QStringLiteral("Sepia"));
        LauncherViewModel vm(*m_defaults, *m_keys);
        QCOMPARE(vm.selectedModel(), QStringLiteral("openai/o3-mini"));
        QCOMPARE(vm.theme(), AppTheme::System);

        QSignalSpy themeSpy(&vm, &LauncherViewModel::themeChanged);
        m_defaults->set(Preferences::appTheme, QStringLiteral("Dark"));
        QCOMPARE(themeSpy.size(), 1);
        QCOMPARE(vm.theme(), AppTheme::Dark);

        vm.setSelectedModel(LLMProvider::Gemini, QStringLiteral("gemini-2.5-pro"));
        QCOMPARE(m_defaults->string(Preferences::selectedGeminiModel), QStringLiteral("gemini-2.5-pro"));
        vm.setSelectedProvider(LLMProvider::Gemini);
        QCOMPARE(vm.selectedModel(), QStringLiteral("gemini-2.5-pro"));
    }

    // Nothing is written before the user changes something.
    void blankInputChangesNothing()
    {
        QVERIFY(!QFile::exists(m_defaults->filePath()));
        QSignalSpy spy(m_vm.get(), &LauncherViewModel::messagesChanged);
        m_vm->setInputText(QStringLiteral("  \n\t \n"));
        m_vm->send();
        QVERIFY(m_vm->messages().isEmpty());
        QVERIFY(!m_vm->isLoading());
        QVERIFY(!m_vm->errorMessage());
        QCOMPARE(spy.size(), 0);
        QVERIFY(m_server->requests().isEmpty());
    }

    void missingKeyKeepsEverything()
    {
        m_keys->save(KeychainHelper::openRouterAccount, QString());
        m_defaults->set(Preferences::selectedProvider, QStringLiteral("OpenRouter"));
        m_vm->setAttachedImage(QImage(4, 4, QImage::Format_RGB32));
        m_vm->setInputText(QStringLiteral("hello"));
        m_vm->send();
        // Busy while the key is read off the GUI thread.
        QVERIFY(m_vm->isLoading());
        QTRY_COMPARE(m_vm->errorMessage(),
                     QStringLiteral("No API key set for OpenRouter. Open Settings to configure it."));
        QVERIFY(m_vm->messages().isEmpty());
        QCOMPARE(m_vm->inputText(), QStringLiteral("hello"));
        QVERIFY(m_vm->attachedImageData());
        QVERIFY(!m_vm->isLoading());
    }

    // A local server needs no key but a model, which Settings may store while
    // the launcher runs; each provider gets its own model.
    void localProviderUsesTheModelChosenInSettings()
    {
        qputenv("TARNWICK_LOCAL_BASE_URL", (m_server->baseUrl() + QStringLiteral("/v1")).toUtf8());
        m_keys->save(KeychainHelper::localAccount, QString());
        m_defaults->set(Preferences::selectedProvider, QStringLiteral("Local"));
        m_vm->setInputText(QStringLiteral("hi"));
        m_vm->send();
        QTRY_COMPARE(m_vm->errorMessage(),
                     QStringLiteral("No model chosen for Local. Open Settings to pick one of the server's models."));

        QSignalSpy spy(m_vm.get(), &LauncherViewModel::selectedModelChanged);
        m_defaults->set(Preferences::selectedLocalModel, QStringLiteral("qwen3:8b"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().value<LLMProvider>(), LLMProvider::Local);
        m_server->enqueue(ScriptedResponse::withBody(200, chatChunk("ok") + "data: [DONE]\n\n"));
        m_vm->send();
        QVERIFY(waitForAnswer(*m_vm));
        QCOMPARE(m_vm->messages().last().content, QStringLiteral("ok"));
        const RecordedRequest &request = m_server->requests().first();
        QCOMPARE(request.path, "/v1/chat/completions");
        QVERIFY(request.header("Authorization").isEmpty());
        QVERIFY(request.body.contains("\"model\":\"qwen3:8b\""));
        qunsetenv("TARNWICK_LOCAL_BASE_URL");
    }

    // A provider switched in Settings brings its own model to the launcher at
    // once: the header and the next send never pair it with another's model.
    void followsProviderAndModelsChosenElsewhere()
    {
        QSignalSpy provider(m_vm.get(), &LauncherViewModel::selectedProviderChanged);
        QSignalSpy model(m_vm.get(), &LauncherViewModel::selectedModelChanged);
        m_defaults->set(Preferences::selectedProvider, QStringLiteral("OpenRouter"));
        m_defaults->set(Preferences::selectedOpenRouterModel, QStringLiteral("vendor/picked-in-settings"));
        m_defaults->set(Preferences::selectedGeminiModel, QStringLiteral("gemini-picked-in-settings"));
        QCOMPARE(provider.size(), 1);
        QCOMPARE(model.size(), 2);
        QCOMPARE(model.at(0).at(0).value<LLMProvider>(), LLMProvider::OpenRouter);
        QCOMPARE(model.at(1).at(1).toString(), QStringLiteral("gemini-picked-in-settings"));
        QCOMPARE(m_vm->selectedProvider(), LLMProvider::OpenRouter);
        QCOMPARE(m_vm->selectedModel(), QStringLiteral("vendor/picked-in-settings"));

        // The launcher's own switch is stored once and not echoed back.
        m_vm->setSelectedProvider(LLMProvider::Gemini);
        QCOMPARE(provider.size(), 2);
        QCOMPARE(m_vm->selectedModel(), QStringLiteral("gemini-picked-in-settings"));
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("ok") + geminiFinish()));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("hi")));
        QVERIFY(m_server->requests().first().path.contains("/models/gemini-picked-in-settings:"));
    }

    // "/name text" sends the filled template with the preset's provider and
    // model; its instructions go in the provider's own place, with this
    // request and every later one of the conversation.
    void presetInstructionsInEachProvidersShape_data() { addProviderRows(); }

    void presetInstructionsInEachProvidersShape()
    {
        QFETCH(QString, provider);
        qputenv("TARNWICK_LOCAL_BASE_URL", m_server->baseUrl().toUtf8());
        PresetStore presets(m_home->configHome() + QStringLiteral("/presets.json"));
        QVERIFY(presets.put({QStringLiteral("tr"), QStringLiteral("Be terse."),
                             QStringLiteral("Translate {input} ({clipboard})"), provider, QStringLiteral("m-1")}));
        m_vm->setPresets(&presets);
        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        const QByteArray answer = provider == QLatin1String("Gemini") ? geminiEvent("ok") + geminiFinish()
                                                                      : chatChunk("ok") + "data: [DONE]\n\n";
        m_server->enqueue(ScriptedResponse::withBody(200, answer));
        m_server->enqueue(ScriptedResponse::withBody(200, answer));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("/tr hello")));
        QCOMPARE(m_vm->messages().first().content, QStringLiteral("Translate hello (clip)"));
        QCOMPARE(m_vm->messages().first().presetCaption, QStringLiteral("tr \u00B7 %1 \u00B7 m-1").arg(provider));
        QCOMPARE(m_vm->instructions(), QStringLiteral("Be terse."));
        m_defaults->set(Preferences::selectedProvider, provider);
        m_defaults->set(Preferences::selectedLocalModel, QStringLiteral("chosen"));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("again")));

        QCOMPARE(m_server->requests().size(), 2);
        for (const RecordedRequest &request : m_server->requests()) {
            const QJsonObject body = QJsonDocument::fromJson(request.body).object();
            if (provider == QLatin1String("Gemini")) {
                QCOMPARE(
                    body.value("systemInstruction").toObject().value("parts")[0].toObject().value("text").toString(),
                    QStringLiteral("Be terse."));
            } else {
                const QJsonObject first = body.value("messages").toArray().first().toObject();
                QCOMPARE(first, (QJsonObject{{"role", "system"}, {"content", "Be terse."}}));
            }
        }
        const RecordedRequest &first = m_server->requests().first();
        QVERIFY(first.path.contains("m-1") || first.body.contains("\"model\":\"m-1\""));
        QVERIFY(!m_server->requests().last().body.contains("m-1")); // the preset's model was for its own send
        qunsetenv("TARNWICK_LOCAL_BASE_URL");
    }

    // A preset that works on the selection refuses to ask about nothing; an unknown name is just text.
    void presetsThatCannotBeUsed()
    {
        PresetStore presets(m_home->configHome() + QStringLiteral("/presets.json"));
        m_vm->setPresets(&presets);
        QGuiApplication::clipboard()->clear();
        m_vm->setInputText(QStringLiteral("/fix"));
        m_vm->send();
        QVERIFY(m_vm->errorMessage()->startsWith(QStringLiteral("/fix works on the highlighted text")));
        QVERIFY(m_vm->messages().isEmpty());
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("ok") + geminiFinish()));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("/nosuch thing")));
        QCOMPARE(m_vm->messages().first().content, QStringLiteral("/nosuch thing"));
        QVERIFY(m_vm->instructions().isEmpty());
        QVERIFY(!m_server->requests().first().body.contains("systemInstruction"));
    }

    void unknownProviderFallsBackToGemini()
    {
        m_defaults->set(Preferences::selectedProvider, QStringLiteral("Claude"));
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("ok") + geminiFinish()));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("hi")));
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(m_server->requests().first().path.startsWith("/v1beta/models/"));
        QCOMPARE(m_server->requests().first().query, "alt=sse&key=gemini-key");
    }

    // Each fragment is its own change, and the history grows by two turns per exchange.
    void fragmentsJoinAndHistoryGrows()
    {
        for (int i = 0; i < 3; ++i)
            m_server->enqueue(
                ScriptedResponse::withBody(200, geminiEvent("Hel") + geminiEvent("lo") + geminiFinish(), 1));
        QSignalSpy updates(m_vm.get(), &LauncherViewModel::messageUpdated);
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("  first  ")));
        QCOMPARE(m_vm->messages().size(), 2);
        QCOMPARE(m_vm->messages().at(0).content, QStringLiteral("first"));
        const ChatMessage &answer = m_vm->messages().at(1);
        QCOMPARE(answer.content, QStringLiteral("Hello"));
        QVERIFY(!answer.isStreaming);
        QCOMPARE(updates.size(), 3); // two fragments, then the end of streaming

        QVERIFY(sendAndWait(*m_vm, QStringLiteral("second")));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("third")));
        QCOMPARE(geminiTurns(m_server->requests().at(0)).size(), 1);
        const QJsonArray third = geminiTurns(m_server->requests().at(2));
        QCOMPARE(third.size(), 5); // four earlier turns and the new prompt
        QCOMPARE(third.at(1).toObject().value(QStringLiteral("role")).toString(), QStringLiteral("model"));
        QVERIFY(m_vm->inputText().isEmpty());
    }

    // A fast stream's events that arrive in one read make one change, so the
    // panel and the history keep up instead of letting the backlog grow.
    void fragmentsArrivingTogetherMakeOneChange()
    {
        QByteArray events;
        QString expected;
        for (int i = 0; i < 2000; ++i) {
            events += geminiEvent(QByteArray::number(i) + ' ');
            expected += QString::number(i) + QLatin1Char(' ');
        }
        m_server->enqueue(ScriptedResponse::withBody(200, events + geminiFinish()));
        QSignalSpy updates(m_vm.get(), &LauncherViewModel::messageUpdated);
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("count")));
        QCOMPARE(m_vm->messages().at(1).content, expected);
        QVERIFY2(updates.size() < 50, QByteArray::number(updates.size()).constData());
    }

    // A finished answer without text (a local model that only reasoned, or
    // only called tools) is told as such, never kept as a blank answer.
    void emptyAnswerIsAnError()
    {
        m_server->enqueue(ScriptedResponse::withBody(200, geminiFinish()));
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("hi")));
        QCOMPARE(m_vm->messages().size(), 2);
        QCOMPARE(m_vm->messages().at(1).content, QStringLiteral("\u26A0\uFE0F The provider sent an empty answer."));
        QVERIFY(!m_vm->messages().at(1).isStreaming);
    }

    // What arrived before a failure stays as the answer, with the error beside
    // it; only a failure before any text becomes the answer's text. The next
    // send passes on the answer's text, never the error.
    void failureKeepsWhatArrived_data()
    {
        using Ending = ScriptedResponse::Ending;
        const QByteArray streamError = "data: {\"error\":{\"code\":500,\"message\":\"Backend overloaded\"}}\r\n\r\n";
        const QString overloaded = QStringLiteral("Backend overloaded");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("ending");
        QTest::addColumn<QString>("kept"); // empty: the failure takes the answer's place
        QTest::addColumn<QString>("description"); // empty: any
        const QString partial = QStringLiteral("partial");
        QTest::newRow("cut after text") << geminiEvent("partial") << 200 << int(Ending::Drop) << partial << QString();
        QTest::newRow("stall after text")
            << geminiEvent("partial") << 200 << int(Ending::Stall) << partial << QString();
        QTest::newRow("error event after text")
            << geminiEvent("partial") + streamError << 200 << int(Ending::Complete) << partial << overloaded;
        QTest::newRow("blank text, then a cut")
            << geminiEvent("\\n ") << 200 << int(Ending::Drop) << QString() << QString();
        QTest::newRow("error event before text")
            << streamError << 200 << int(Ending::Complete) << QString() << overloaded;
        QTest::newRow("status before text") << QByteArray("{}") << 429 << int(Ending::Complete) << QString()
                                            << QStringLiteral("Rate limit exceeded. Please wait a moment.");
    }

    void failureKeepsWhatArrived()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, ending);
        QFETCH(QString, kept);
        QFETCH(QString, description);
        ScriptedResponse failing = ScriptedResponse::withBody(status, body);
        failing.ending = ScriptedResponse::Ending(ending);
        // A declared length makes the cut visible; a cut chunked body can pass for a whole one.
        if (failing.ending == ScriptedResponse::Ending::Drop) {
            failing.framing = ScriptedResponse::Framing::ContentLength;
            failing.declaredLength = failing.body().size() + 100;
        }
        m_server->enqueue(failing);
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("fine") + geminiFinish()));
        LLMClient::setIdleTimeout(std::chrono::milliseconds(400));
        QSignalSpy failures(m_vm.get(), &LauncherViewModel::answerFailed);
        QVERIFY(sendAndWait(*m_vm, QStringLiteral("one")));
        LLMClient::setIdleTimeout(std::chrono::seconds(60));

        QCOMPARE(failures.size(), 1);
        const QString reported = failures.first().first().toString();
        QVERIFY(!reported.isEmpty());
        if (!description.isEmpty())
            QCOMPARE(reported, description);
        const ChatMessage answer = m_vm->messages().at(1);
        QVERIFY(!answer.isStreaming);
        QCOMPARE(answer.content, kept.isEmpty() ? QStringLiteral("\u26A0\uFE0F ") + reported : kept);
        QCOMPARE(answer.error, kept.isEmpty() ? QString() : reported);
        QVERIFY(!m_vm->errorMessage());

        QVERIFY(sendAndWait(*m_vm, QStringLiteral("two")));
        const QJsonArray turns = geminiTurns(m_server->requests().at(1));
        QCOMPARE(turns.size(), 3);
        const QJsonObject firstPart =
            turns.at(1).toObject().value(QStringLiteral("parts")).toArray().first().toObject();
        QCOMPARE(firstPart.value(QStringLiteral("text")).toString(), answer.content);
    }

    // Cancelling keeps what arrived, writes no error, and closes the connection.
    void cancelKeepsTextAndStopsTheDownload()
    {
        ScriptedResponse stall = ScriptedResponse::withBody(200, geminiEvent("so far"));
        stall.ending = ScriptedResponse::Ending::Stall;
        m_server->enqueue(stall);
        m_vm->setInputText(QStringLiteral("long answer please"));
        m_vm->send();
        QVERIFY(QTest::qWaitFor(
            [this] {
            return m_vm->messages().size() == 2 && m_vm->messages().at(1).content == QStringLiteral("so far");
            },
            10000));
        m_vm->cancelStream();
        QVERIFY(!m_vm->isLoading());
        QCOMPARE(m_vm->messages().at(1).content, QStringLiteral("so far"));
        QVERIFY(!m_vm->messages().at(1).isStreaming);
        QVERIFY(QTest::qWaitFor([this] { return m_server->requests().first().closedByClient; }, 10000));
    }

    // A keyring waiting on its unlock prompt leaves the launcher answering; a
    // Stop meanwhile drops the send, and a keyring that fails is named.
    void keyReadWaitsOffTheGuiThread()
    {
        m_keys->hold();
        m_vm->setInputText(QStringLiteral("question"));
        m_vm->send();
        QTRY_COMPARE(m_keys->lookups(), 1);
        QVERIFY(m_vm->isLoading());
        m_vm->cancelStream();
        QVERIFY(!m_vm->isLoading());
        m_keys->release();
        QTest::qWait(200);
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!m_vm->isLoading());
        QVERIFY(!m_vm->errorMessage());

        m_keys->setProblem(QStringLiteral("The keyring service did not answer."));
        m_vm->send();
        QTRY_COMPARE(m_vm->errorMessage(),
                     QStringLiteral("Could not read the API key for Gemini: The keyring service did not answer."));
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!m_vm->isLoading());
    }

    // A conversation replaced while an answer streams is never written into.
    void newConversationDuringAnswer()
    {
        ScriptedResponse slow;
        slow.writes = {{geminiEvent("late 1"), 0}, {geminiEvent("late 2") + geminiFinish(), 300}};
        m_server->enqueue(slow);
        m_vm->setInputText(QStringLiteral("question"));
        m_vm->send();
        m_vm->newConversation();
        const QList<ChatMessage> reopened = {ChatMessage(ChatMessage::Role::User, QStringLiteral("old")),
                                             ChatMessage(ChatMessage::Role::Assistant, QStringLiteral("answer"))};
        m_vm->setMessages(reopened);
        QTest::qWait(600);
        QCOMPARE(m_vm->messages(), reopened);
        QVERIFY(!m_vm->isLoading());
    }

    void newConversationWhileIdleKeepsInputAndMediaType()
    {
        m_vm->setInputText(QStringLiteral("draft"));
        m_vm->setAttachedImage(QImage(2, 2, QImage::Format_ARGB32));
        m_vm->newConversation();
        QCOMPARE(m_vm->inputText(), QStringLiteral("draft"));
        QVERIFY(!m_vm->attachedImage());
        QVERIFY(!m_vm->attachedImageData());
        QCOMPARE(m_vm->attachedImageMIME(), QStringLiteral("image/png"));
    }

    void imageOnlyPromptIsSentAsPng()
    {
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("a cat") + geminiFinish()));
        QImage jpegSource(8, 6, QImage::Format_RGB32);
        jpegSource.fill(Qt::red);
        m_vm->setAttachedImage(jpegSource);
        QVERIFY(m_vm->attachedImageData()->startsWith("\x89PNG\r\n\x1a\n"));
        QCOMPARE(m_vm->attachedImageMIME(), QStringLiteral("image/png"));

        m_vm->send();
        QVERIFY(waitForAnswer(*m_vm));
        const ChatMessage &user = m_vm->messages().at(0);
        QVERIFY(user.content.isEmpty());
        QVERIFY(user.imageData);
        QVERIFY(!m_vm->attachedImage());
        QVERIFY(!m_vm->attachedImageData());
        QCOMPARE(m_vm->attachedImageMIME(), QStringLiteral("image/png"));
        const QJsonArray parts =
            geminiTurns(m_server->requests().first()).at(0).toObject().value(QStringLiteral("parts")).toArray();
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts.at(0).toObject().value(QStringLiteral("inlineData")).toObject().value(QStringLiteral("data")),
                 QString::fromLatin1(user.imageData->toBase64()));
        QCOMPARE(parts.at(1).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("Describe this image."));
    }

    void pasteTakesImagesOnly()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
        m_vm->pasteImageFromClipboard();
        QVERIFY(!m_vm->attachedImage());
        QVERIFY(!m_vm->attachedImageData());

        // A browser's "Copy image" offers encoded bytes under an image type.
        QImage picture(5, 3, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        auto *mime = new QMimeData;
        mime->setData(QStringLiteral("image/png"), png);
        QGuiApplication::clipboard()->setMimeData(mime);
        m_vm->pasteImageFromClipboard();
        QVERIFY(m_vm->attachedImage());
        QCOMPARE(m_vm->attachedImage()->size(), QSize(5, 3));
        QVERIFY(m_vm->attachedImageData()->startsWith("\x89PNG"));
    }

    // Settings' model: what it stores and fetches, without its window.
    void settingsFailedOrEmptyFetchChangesNothing()
    {
        clearKeys();
        m_defaults->set(Preferences::cachedOpenRouterModels, QStringList{QStringLiteral("old/one")});
        const auto model = makeModel();
        // No key, no request.
        model->fetchModels(LLMProvider::OpenRouter);
        QVERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));
        QVERIFY(m_server->requests().isEmpty());

        m_server->enqueue(ScriptedResponse::withBody(401, "{\"error\":{}}", 0, 0, "application/json"));
        model->setKey(LLMProvider::OpenRouter, QStringLiteral("bad"));
        QVERIFY(model->isLoadingModels(LLMProvider::OpenRouter));
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));

        m_server->enqueue(ScriptedResponse::withBody(200, "{\"data\":[]}", 0, 0, "application/json"));
        model->fetchModels(LLMProvider::OpenRouter);
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));
        QCOMPARE(m_server->requests().size(), 2);

        QVERIFY(model->models(LLMProvider::OpenRouter).isEmpty());
        QCOMPARE(model->selectedModel(LLMProvider::OpenRouter), QStringLiteral("openai/o3-mini"));
        QCOMPARE(UserDefaults(m_defaults->filePath()).stringList(Preferences::cachedOpenRouterModels),
                 QStringList{QStringLiteral("old/one")});
    }

    void settingsTellUnreachableLocalServer()
    {
        clearKeys();
        const QString address = m_server->baseUrl() + QStringLiteral("/v1");
        m_server.reset();
        const auto model = makeModel();
        model->setServerAddressText(address);
        model->fetchModels(LLMProvider::Local);
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::Local));
        QCOMPARE(model->modelsProblem(LLMProvider::Local),
                 QStringLiteral("Cannot reach %1: connection refused. Is the server running?").arg(address));
        QVERIFY(!m_defaults->contains(Preferences::cachedLocalModels));
    }

    // A save before the keys are read waits for them: a stored key is not
    // replaced by a field that was empty only because it had not been filled yet.
    void settingsSaveWaitsForTheStoredKeys()
    {
        clearKeys();
        m_keys->save(ProviderTable::traits(LLMProvider::Gemini).keyAccount, QStringLiteral("stored"));
        m_keys->hold();
        SettingsModel model(*m_defaults, *m_keys, nullptr);
        QSignalSpy saved(&model, &SettingsModel::saved);
        model.save();
        QTest::qWait(50);
        QVERIFY(saved.isEmpty());
        m_keys->release();
        QTRY_COMPARE(saved.size(), 1);
        QCOMPARE(saved.first().first().toStringList(), QStringList());
        QCOMPARE(model.key(LLMProvider::Gemini), QStringLiteral("stored"));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("stored"));
    }

    // A key that could not be read is not wiped by its empty field; what can be stored is.
    void settingsKeepUnreadableKeys()
    {
        clearKeys();
        m_keys->save(ProviderTable::traits(LLMProvider::OpenRouter).keyAccount, QStringLiteral("kept"));
        m_keys->setProblem(QStringLiteral("The keyring is locked."));
        const auto model = makeModel();
        QVERIFY(model->keyStoreCaption().endsWith(
            QStringLiteral("The stored keys could not be read: The keyring is locked.")));
        model->setKey(LLMProvider::Gemini, QStringLiteral("typed"));
        QSignalSpy saved(model.get(), &SettingsModel::saved);
        model->save();
        QTRY_COMPARE(saved.size(), 1);
        m_keys->setProblem({});
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::OpenRouter).keyAccount).value,
                 QStringLiteral("kept"));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("typed"));
    }

    void settingsTellAFailedWriteAndStillStoreTheKeys()
    {
        clearKeys();
        // A preferences folder that cannot be made: a file stands in its way
        // (whatever the user's rights, root included).
        QFile blocker(m_home->configHome() + QStringLiteral("/Tarnwick"));
        QVERIFY(QDir().mkpath(m_home->configHome()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_defaults = std::make_unique<UserDefaults>(blocker.fileName() + QStringLiteral("/preferences.json"));
        const auto model = makeModel();
        model->setKey(LLMProvider::Gemini, QStringLiteral("k"));
        QVERIFY(!model->setProvider(LLMProvider::OpenRouter));
        QSignalSpy saved(model.get(), &SettingsModel::saved);
        model->save();
        QTRY_COMPARE(saved.size(), 1);
        const QStringList failures = saved.first().first().toStringList();
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures.first().startsWith(QStringLiteral("Could not write the preferences file")),
                 qPrintable(failures.first()));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("k"));
    }
};

QTEST_MAIN(TestLauncherViewModel)
#include "tst_launcherviewmodel.moc"
