// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's session: answers sent through it against a loopback provider,
// checked in the view model and in the history file it writes.
#include "core/LauncherSession.h"
#include "core/LauncherViewModel.h"
#include "core/StoredChat.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "services/KeychainHelper.h"
#include "store/ConversationStore.h"
#include "support/AnswerWait.h"
#include "support/FileSizeLimit.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/ProviderEvents.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

using Role = ChatMessage::Role;

const QString kWarning = QStringLiteral("\u26A0\uFE0F ");

struct Session
{
    explicit Session(const IsolatedHome &home)
        : defaults(home.preferencesFile())
        , presets(home.presetsFile())
        , session(defaults, KeyStore::system(), presets, home.historyFile())
    {
    }

    UserDefaults defaults;
    PresetStore presets;
    LauncherSession session;
    LauncherViewModel &vm = session.viewModel();
};

// The messages of the one conversation in a history file, as JSON objects.
QJsonArray savedMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray conversations = QJsonDocument::fromJson(file.readAll()).array();
    return conversations.size() == 1 ? conversations.first().toObject().value(QStringLiteral("messages")).toArray()
                                     : QJsonArray();
}

// The text of a sent turn, and whether it carried an image.
QString turnText(const QJsonValue &turn)
{
    const QJsonArray parts = turn.toObject().value(QStringLiteral("parts")).toArray();
    return parts.last().toObject().value(QStringLiteral("text")).toString();
}

bool turnHasImage(const QJsonValue &turn)
{
    return turn.toObject()
        .value(QStringLiteral("parts"))
        .toArray()
        .first()
        .toObject()
        .contains(QStringLiteral("inlineData"));
}

QStringList savedTexts(const QString &path)
{
    QStringList texts;
    for (const QJsonValue &message : savedMessages(path))
        texts.append(message.toObject().value(QStringLiteral("content")).toString());
    return texts;
}

ScriptedResponse cutAfter(const QByteArray &text)
{
    ScriptedResponse cut = ScriptedResponse::withBody(200, geminiEvent(text));
    cut.ending = ScriptedResponse::Ending::Drop;
    cut.framing = ScriptedResponse::Framing::ContentLength;
    cut.declaredLength = cut.body().size() + 100;
    return cut;
}

} // namespace

class TestSessionAnswers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_server = std::make_unique<LoopbackServer>();
        qputenv("TARNWICK_GEMINI_BASE_URL", m_server->baseUrl().toUtf8());
        if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("gemini-key")))
            QSKIP("no key store answers in this session");
    }

    void cleanup()
    {
        m_server.reset();
        m_home.reset();
    }

    // A cut answer keeps its text in the file, with the error in a member of its
    // own; the journal and the whole file both carry it back into the launcher.
    void partAnswerAndErrorAreSavedAndReopened()
    {
        auto first = std::make_unique<Session>(*m_home);
        m_server->enqueue(cutAfter("Quicksort picks"));
        QVERIFY(sendAndWait(first->vm, QStringLiteral("Explain quicksort")));
        const ChatMessage answer = first->vm.messages().at(1);
        QCOMPARE(answer.content, QStringLiteral("Quicksort picks"));
        QVERIFY(!answer.error.isEmpty());
        const QUuid id = first->session.activeConversationID();

        // Before the whole file is written, the journal alone brings it back.
        {
            ConversationStore replayed(m_home->historyFile());
            QCOMPARE(replayed.conversations().size(), 1);
            QCOMPARE(replayed.conversations().first().messages.at(1).content, answer.content);
            QCOMPARE(replayed.conversations().first().messages.at(1).error, answer.error);
        }

        first->session.flush();
        const QJsonArray saved = savedMessages(m_home->historyFile());
        QCOMPARE(saved.size(), 2);
        QVERIFY(!saved.at(0).toObject().contains(QStringLiteral("error")));
        QCOMPARE(saved.at(1).toObject().value(QStringLiteral("content")).toString(), answer.content);
        QCOMPARE(saved.at(1).toObject().value(QStringLiteral("error")).toString(), answer.error);
        first.reset();

        Session second(*m_home);
        QVERIFY(second.session.loadConversation(id));
        QCOMPARE(second.vm.messages().at(1).content, answer.content);
        QCOMPARE(second.vm.messages().at(1).error, answer.error);
        // Going on from the reopened conversation sends the text, not the error.
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("fine") + geminiFinish()));
        QVERIFY(sendAndWait(second.vm, QStringLiteral("go on")));
        const QJsonArray turns = geminiTurns(m_server->requests().at(1));
        QCOMPARE(turns.size(), 3);
        QCOMPARE(turns.at(1)
                     .toObject()
                     .value(QStringLiteral("parts"))
                     .toArray()
                     .first()
                     .toObject()
                     .value(QStringLiteral("text"))
                     .toString(),
                 answer.content);
    }

    // A file without the error member, as every earlier build wrote it, loads
    // unchanged: an answer that is only an error stays the answer's text.
    void olderFilesAndErrorOnlyAnswersLoadAsBefore()
    {
        const QString id = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");
        const QByteArray older = "[{\"id\":\"" + id.toLatin1()
            + "\",\"title\":\"Old\",\"date\":700000000.5,\"messages\":["
              "{\"role\":\"user\",\"content\":\"Old\",\"imageMIME\":\"image\\/png\"},"
              "{\"role\":\"assistant\",\"content\":\""
            + (kWarning + QStringLiteral("Rate limit exceeded. Please wait a moment.")).toUtf8()
            + "\",\"imageMIME\":\"image\\/png\"},"
              "{\"role\":\"user\",\"content\":\"Again\",\"imageMIME\":\"image\\/png\"},"
              "{\"role\":\"assistant\",\"content\":\"Sure\",\"imageMIME\":\"image\\/png\",\"error\":null}]}]";
        QVERIFY(QDir().mkpath(m_home->dataHome() + QStringLiteral("/Tarnwick")));
        QFile file(m_home->historyFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(older);
        file.close();

        Session s(*m_home);
        QVERIFY(s.session.loadConversation(QUuid::fromString(id)));
        QCOMPARE(s.vm.messages().size(), 4);
        QCOMPARE(s.vm.messages().at(1).content,
                 kWarning + QStringLiteral("Rate limit exceeded. Please wait a moment."));
        for (const ChatMessage &message : s.vm.messages())
            QVERIFY(message.error.isEmpty());

        // A failure before any text is written as before: no error member.
        m_server->enqueue(ScriptedResponse::withBody(429, "{}", 0, 0, "application/json"));
        QVERIFY(sendAndWait(s.vm, QStringLiteral("third")));
        s.session.flush();
        const QJsonArray saved = savedMessages(m_home->historyFile());
        QCOMPARE(saved.size(), 6);
        for (const QJsonValue &message : saved)
            QVERIFY(!message.toObject().contains(QStringLiteral("error")));
        QCOMPARE(saved.at(5).toObject().value(QStringLiteral("content")).toString(),
                 kWarning + QStringLiteral("Rate limit exceeded. Please wait a moment."));
    }

    // The last answer, a cut one here, is asked for again with the same
    // conversation (the prompt's image too) and the new one takes its place.
    void regenerateReplacesTheLastAnswer()
    {
        Session s(*m_home);
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("first") + geminiFinish()));
        m_server->enqueue(cutAfter("par"));
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("again") + geminiFinish()));
        QVERIFY(sendAndWait(s.vm, QStringLiteral("one")));
        s.vm.setAttachedImage(QImage(4, 3, QImage::Format_RGB32));
        QVERIFY(sendAndWait(s.vm, QStringLiteral("two")));
        QVERIFY(!s.vm.messages().last().error.isEmpty());
        const QUuid id = s.session.activeConversationID();
        QVERIFY(s.vm.canRegenerate());

        s.vm.regenerate();
        QVERIFY(s.vm.isLoading());
        QVERIFY(waitForAnswer(s.vm));
        const QJsonArray turns = geminiTurns(m_server->requests().at(2));
        QCOMPARE(turns.size(), 3);
        QCOMPARE(turnText(turns.at(1)), QStringLiteral("first"));
        QCOMPARE(turnText(turns.at(2)), QStringLiteral("two"));
        QVERIFY(turnHasImage(turns.at(2)));
        QCOMPARE(s.vm.messages().size(), 4);
        QCOMPARE(s.vm.messages().last().content, QStringLiteral("again"));
        QVERIFY(s.vm.messages().last().error.isEmpty());

        s.session.flush();
        QCOMPARE(s.session.activeConversationID(), id);
        QCOMPARE(savedTexts(m_home->historyFile()), QStringList({"one", "first", "two", "again"}));
        QVERIFY(!savedMessages(m_home->historyFile()).at(3).toObject().contains(QStringLiteral("error")));
    }

    // Edit brings the prompt and its image back; the saved conversation changes
    // only when the edited prompt is sent, a cancel brings back the draft, and
    // the draft comes back after the send too.
    void editReplacesTheLastPromptOnlyWhenSent()
    {
        Session s(*m_home);
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("first") + geminiFinish()));
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("second") + geminiFinish()));
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("edited answer") + geminiFinish()));
        QVERIFY(sendAndWait(s.vm, QStringLiteral("one")));
        s.vm.setAttachedImage(QImage(4, 3, QImage::Format_RGB32));
        const std::optional<QByteArray> image = s.vm.attachedImageData();
        QVERIFY(sendAndWait(s.vm, QStringLiteral("two")));
        s.session.flush();
        const QStringList before = savedTexts(m_home->historyFile());

        s.vm.setInputText(QStringLiteral("draft"));
        QVERIFY(s.vm.canEditLastPrompt());
        s.vm.editLastPrompt();
        QVERIFY(s.vm.isEditing());
        QCOMPARE(s.vm.inputText(), QStringLiteral("two"));
        QCOMPARE(s.vm.attachedImageData(), image);
        QVERIFY(s.vm.attachedImage());
        s.vm.setInputText(QString()); // emptied, still an edit: nothing is lost
        s.session.flush();
        QCOMPARE(savedTexts(m_home->historyFile()), before);
        QCOMPARE(s.vm.messages().size(), 4);

        s.vm.cancelEdit();
        QVERIFY(!s.vm.isEditing());
        QCOMPARE(s.vm.inputText(), QStringLiteral("draft"));
        QVERIFY(!s.vm.attachedImageData());
        QCOMPARE(s.vm.messages().size(), 4);

        s.vm.editLastPrompt();
        QVERIFY(sendAndWait(s.vm, QStringLiteral("two, edited")));
        QVERIFY(!s.vm.isEditing());
        QCOMPARE(s.vm.inputText(), QStringLiteral("draft"));
        const QJsonArray turns = geminiTurns(m_server->requests().at(2));
        QCOMPARE(turns.size(), 3);
        QCOMPARE(turnText(turns.at(2)), QStringLiteral("two, edited"));
        QVERIFY(turnHasImage(turns.at(2)));
        s.session.flush();
        QCOMPARE(savedTexts(m_home->historyFile()), QStringList({"one", "first", "two, edited", "edited answer"}));
        QVERIFY(savedMessages(m_home->historyFile()).at(2).toObject().contains(QStringLiteral("imageData")));
        QCOMPARE(ConversationStore(m_home->historyFile()).conversations().size(), 1);
    }

    // While an answer streams neither action starts anything; a conversation
    // change ends an Edit without sending it.
    void nothingIsRedoneWhileAnAnswerStreams()
    {
        Session s(*m_home);
        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("first") + geminiFinish()));
        ScriptedResponse stalled = ScriptedResponse::withBody(200, geminiEvent("so far"));
        stalled.ending = ScriptedResponse::Ending::Stall;
        m_server->enqueue(stalled);
        QVERIFY(sendAndWait(s.vm, QStringLiteral("one")));
        s.vm.setInputText(QStringLiteral("two"));
        s.vm.send();
        QVERIFY(QTest::qWaitFor([&] { return s.vm.messages().last().content == QLatin1String("so far"); }, 10000));
        QVERIFY(!s.vm.canRegenerate());
        QVERIFY(!s.vm.canEditLastPrompt());
        s.vm.regenerate();
        s.vm.editLastPrompt();
        QVERIFY(!s.vm.isEditing());
        QCOMPARE(s.vm.messages().size(), 4);
        QCOMPARE(m_server->requests().size(), 2);

        s.vm.cancelStream();
        s.vm.editLastPrompt();
        QVERIFY(s.vm.isEditing());
        s.session.startNewConversation();
        QVERIFY(!s.vm.isEditing());
        QVERIFY(s.vm.inputText().isEmpty());
    }

    // Gemini's thoughts stream apart from the answer: the answer is the text
    // alone, the next request carries only it, and the file keeps the reasoning,
    // its time and the usage beside it, for the journal and the whole file alike.
    void reasoningAndUsageStayBesideTheAnswer()
    {
        auto first = std::make_unique<Session>(*m_home);
        first->vm.setSelectedModel(LLMProvider::Gemini, QStringLiteral("gemini-2.5-pro"));
        const QByteArray usage =
            R"("usageMetadata":{"promptTokenCount":9,"candidatesTokenCount":2,"thoughtsTokenCount":30})";
        m_server->enqueue(
            eventStream({R"(data: {"candidates":[{"content":{"parts":[{"text":"Think of ","thought":true}]}}]})"
                         "\r\n\r\n",
                         R"(data: {"candidates":[{"content":{"parts":[{"text":"pivots.","thought":true}]}}]})"
                         "\r\n\r\n",
                         R"(data: {"candidates":[{"content":{"parts":[{"text":"Quick"}]}}],)" + usage + "}\r\n\r\n",
                         R"(data: {"candidates":[{"content":{"parts":[{"text":"sort."}]},"finishReason":"STOP"}],)"
                             + usage + "}\r\n\r\n"},
                        20));
        QVERIFY(sendAndWait(first->vm, QStringLiteral("Explain quicksort")));
        const ChatMessage answer = first->vm.messages().at(1);
        QCOMPARE(answer.content, QStringLiteral("Quicksort."));
        QCOMPARE(answer.reasoning, QStringLiteral("Think of pivots."));
        QVERIFY(answer.reasoningSeconds && *answer.reasoningSeconds > 0);
        QCOMPARE(answer.usage, std::optional(LLMUsage{9, 2, 30, std::nullopt}));
        const QJsonObject asked = QJsonDocument::fromJson(m_server->requests().at(0).body).object();
        QCOMPARE(asked.value(QStringLiteral("generationConfig")).toObject().value(QStringLiteral("thinkingConfig")),
                 QJsonValue(QJsonObject{{QStringLiteral("includeThoughts"), true}}));

        m_server->enqueue(ScriptedResponse::withBody(200, geminiEvent("Done")));
        QVERIFY(sendAndWait(first->vm, QStringLiteral("Shorter")));
        const QJsonArray turns = geminiTurns(m_server->requests().at(1));
        QCOMPARE(turns.size(), 3);
        QCOMPARE(turnText(turns.at(1)), QStringLiteral("Quicksort."));
        QVERIFY(!m_server->requests().at(1).body.contains("pivots"));
        const QUuid id = first->session.activeConversationID();
        {
            ConversationStore replayed(m_home->historyFile());
            QCOMPARE(replayed.conversations().first().messages.at(1).reasoning, answer.reasoning);
            QCOMPARE(replayed.conversations().first().messages.at(1).usage, answer.usage);
        }
        first->session.flush();
        const QJsonObject saved = savedMessages(m_home->historyFile()).at(1).toObject();
        QCOMPARE(saved.value(QStringLiteral("reasoning")).toString(), answer.reasoning);
        QCOMPARE(saved.value(QStringLiteral("usage")).toObject().value(QStringLiteral("thoughtTokens")).toInt(), 30);
        first.reset();

        Session second(*m_home);
        QVERIFY(second.session.loadConversation(id));
        QCOMPARE(second.vm.messages().at(1).reasoning, answer.reasoning);
        QCOMPARE(second.vm.messages().at(1).reasoningSeconds, answer.reasoningSeconds);
        QCOMPARE(second.vm.messages().at(1).usage, answer.usage);
    }

    // The session without a provider: the history conversions, the saving of
    // the conversation on screen, opening and deleting by id.

    void convertsMessages()
    {
        const ChatMessage streaming(Role::Assistant, QStringLiteral("partial"), QByteArray("img"),
                                    QStringLiteral("image/gif"), true);
        const StoredMessage stored = StoredChat::toStored(streaming);
        QCOMPARE(stored.role, QStringLiteral("assistant"));
        const ChatMessage back = StoredChat::toChat(stored);
        QCOMPARE(back.role, Role::Assistant);
        QCOMPARE(back.content, QStringLiteral("partial"));
        QCOMPARE(back.imageData, std::optional<QByteArray>(QByteArray("img")));
        QCOMPARE(back.imageMIME, QStringLiteral("image/gif"));
        QVERIFY(!back.isStreaming);
        QVERIFY(back.id != streaming.id);

        QCOMPARE(StoredChat::toStored(ChatMessage(Role::User, QString())).role, QStringLiteral("user"));
        QCOMPARE(StoredChat::toChat(StoredMessage(QStringLiteral("User"), QString())).role, Role::Assistant);
        QCOMPARE(StoredChat::toChat(StoredMessage(QStringLiteral("user"), QString())).role, Role::User);
    }

    void savesUnderOneIdAcrossRuns()
    {
        ConversationStore store;
        QSignalSpy changed(&store, &ConversationStore::conversationsChanged);
        QCOMPARE(StoredChat::save(store, {}, QUuid()), QUuid());
        QCOMPARE(changed.count(), 0);

        QList<ChatMessage> messages = {
            ChatMessage(Role::User, QStringLiteral("  Explain quicksort \n")),
            ChatMessage(Role::Assistant, QStringLiteral("Pick a"), {}, QStringLiteral("image/png"), true)};
        const QUuid id = StoredChat::save(store, messages, QUuid());
        QVERIFY(!id.isNull());
        messages.back().content += QStringLiteral(" pivot");
        QCOMPARE(StoredChat::save(store, messages, id), id);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(store.conversations().size(), 1);
        store.flush();

        ConversationStore reopened;
        // The messages of a conversation read from the file stay there until asked for.
        const Conversation saved = reopened.conversations().front().whole().value();
        QCOMPARE(saved.id, id);
        QCOMPARE(saved.title, QStringLiteral("Explain quicksort"));
        QVERIFY(qAbs(saved.date.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        const ChatMessage answer = StoredChat::toChat(saved.messages.back());
        QCOMPARE(answer.content, QStringLiteral("Pick a pivot"));
        QVERIFY(!answer.isStreaming);
    }

    void followsTheMessagesOnScreen()
    {
        Session s(*m_home);
        QSignalSpy active(&s.session, &LauncherSession::activeConversationChanged);
        s.vm.setMessages({ChatMessage(Role::User, QStringLiteral("First"))});
        const QUuid first = s.session.activeConversationID();
        QVERIFY(!first.isNull());
        QCOMPARE(active.count(), 1);
        s.vm.setMessages(
            {ChatMessage(Role::User, QStringLiteral("First")), ChatMessage(Role::Assistant, QStringLiteral("A"))});
        QCOMPARE(s.session.store().conversations().size(), 1);
        QCOMPARE(s.session.store().conversations().first().messages.size(), 2);

        s.session.startNewConversation();
        QVERIFY(s.session.activeConversationID().isNull());
        QCOMPARE(active.count(), 2);
        QCOMPARE(s.session.store().conversations().size(), 1); // an empty conversation is not saved
    }

    void opensAndDeletesById()
    {
        Session s(*m_home);
        s.vm.setInstructions(QStringLiteral("Be terse."));
        s.vm.setMessages({ChatMessage(Role::User, QStringLiteral("Kept"))});
        const QUuid kept = s.session.activeConversationID();
        s.session.startNewConversation();
        QVERIFY(s.vm.instructions().isEmpty());
        s.vm.setMessages({ChatMessage(Role::User, QStringLiteral("Open"))});
        const QUuid open = s.session.activeConversationID();
        // A conversation's instructions come back with it, and go with it.
        QVERIFY(s.session.loadConversation(kept));
        QCOMPARE(s.vm.instructions(), QStringLiteral("Be terse."));
        QVERIFY(s.session.loadConversation(open));
        QVERIFY(s.vm.instructions().isEmpty());

        QVERIFY(!s.session.loadConversation(QUuid::createUuid()));
        QVERIFY(!s.session.loadConversation(QUuid()));
        QCOMPARE(s.session.activeConversationID(), open); // an unknown id changes nothing

        QVERIFY(!s.session.deleteConversation(kept)); // not on screen: the launcher stays
        QCOMPARE(s.session.activeConversationID(), open);
        QCOMPARE(s.vm.messages().size(), 1);
        QVERIFY(s.session.deleteConversation(open));
        QVERIFY(s.session.activeConversationID().isNull());
        QVERIFY(s.vm.messages().isEmpty());
        QVERIFY(s.session.store().conversations().isEmpty());
    }

    // A file moved aside is told once; a save that fails is told with its reason
    // until the user dismisses it, and again when the reason changes.
    void historyProblemsAreTold()
    {
        const QString path = m_home->historyFile();
        QVERIFY(QDir().mkpath(m_home->dataHome() + QStringLiteral("/Tarnwick")));
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("[{ not json");
        damaged.close();

        UserDefaults defaults(m_home->preferencesFile());
        PresetStore presets(m_home->presetsFile());
        LauncherSession session(defaults, KeyStore::system(), presets, path);
        QSignalSpy told(&session, &LauncherSession::historyNoticeChanged);
        QVERIFY(session.historyNotice().isEmpty());
        session.viewModel().setMessages({ChatMessage(Role::User, QStringLiteral("first"))});
        session.flush();
        QTRY_VERIFY(session.historyNotice().startsWith(
            QStringLiteral("A history file could not be read and was moved to ") + path + QStringLiteral(".corrupt-")));
        session.dismissHistoryNotice();
        QVERIFY(session.historyNotice().isEmpty());

        FileSizeLimit limit(64 * 1024);
        QVERIFY(limit.isActive());
        told.clear();
        session.viewModel().setMessages({ChatMessage(Role::User, QString(200000, QLatin1Char('z')))});
        session.flush();
        limit.lift();
        QVERIFY(session.store().hasUnsavedChanges());
        QVERIFY(told.count() >= 1);
        QVERIFY(
            session.historyNotice().startsWith(QStringLiteral("History could not be saved: could not write ") + path));
        session.dismissHistoryNotice();
        QVERIFY(session.historyNotice().isEmpty());

        // The retry succeeds now that the limit is gone: nothing is left to tell.
        QTRY_VERIFY_WITH_TIMEOUT(!session.store().hasUnsavedChanges(), 15000);
        QVERIFY(session.historyNotice().isEmpty());
    }

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<LoopbackServer> m_server;
};

QTEST_GUILESS_MAIN(TestSessionAnswers)
#include "tst_sessionanswers.moc"
