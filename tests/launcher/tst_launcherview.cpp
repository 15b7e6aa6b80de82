// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/MessageContent.h"
#include "history/ConversationSidebarView.h"
#include "store/ConversationStore.h"
#include "launcher/EmptyStateView.h"
#include "launcher/ErrorBubble.h"
#include "launcher/InputBar.h"
#include "launcher/LauncherView.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "launcher/ModelSwitcherView.h"
#include "llm/LLMClient.h"
#include "launcher/MultilineTextField.h"
#include "ui/SymbolButton.h"
#include "platform/Preferences.h"
#include "services/KeychainHelper.h"
#include "support/IsolatedSession.h"
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QTest>

namespace {

using Role = ChatMessage::Role;

struct Launcher : IsolatedSession
{
    LauncherView view{session};

    Launcher()
    {
        view.resize(700, 540);
        view.show();
        QApplication::setActiveWindow(&view);
    }
};

// An answer that sends "Hel" and then nothing more, so that it streams for as long as a test needs.
bool startStalledAnswer(Launcher &launcher, LoopbackServer &server)
{
    ScriptedResponse stalled =
        ScriptedResponse::withBody(200, "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"Hel\"}]}}]}\n\n");
    stalled.ending = ScriptedResponse::Ending::Stall;
    server.enqueue(stalled);
    qputenv("TARNWICK_GEMINI_BASE_URL", server.baseUrl().toUtf8());
    if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("test-key")))
        return false;
    launcher.vm.setSelectedProvider(LLMProvider::Gemini);
    launcher.vm.setInputText(QStringLiteral("Hello"));
    launcher.vm.send();
    return QTest::qWaitFor([&] {
        return !launcher.vm.messages().isEmpty() && launcher.vm.messages().last().content == QLatin1String("Hel");
    });
}

ChatMessage streamingAnswer(const QString &content = QString())
{
    return ChatMessage(Role::Assistant, content, std::nullopt, QStringLiteral("image/png"), true);
}

QByteArray imageBytes(const char *format)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return buffer.data();
}

} // namespace

class TestLauncherView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendButtonFollowsInputAndAttachment_data();
    void sendButtonFollowsInputAndAttachment();
    void stopShortcutOnlyWhileLoading();
    void conversationAreaShowsEmptyStateErrorOrMessages();
    void streamingAnswerGoesThroughItsStages();
    void streamingFollowsTheBottomOnlyWhileTheUserIsThere();
    void longConversationOpensFromTheBottomUp();
    void sidebarDeleteOfTheOpenConversationStartsANewOne();
    void sidebarClickWhileStreamingOpensTheClickedOne();
    void sidebarDeleteWhileStreamingStaysDeleted();
    void modelMenuSwitchesProviderAndModel();
    void localAnswerStreamsIntoThePanel();
    void themeFollowsThePreferenceLive();
    void pickedImageFilesAttachAsPng();
};

void TestLauncherView::sendButtonFollowsInputAndAttachment_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("image");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("spaces and line breaks") << QStringLiteral("  \n \t") << false << false;
    QTest::newRow("text") << QStringLiteral(" hi ") << false << true;
    QTest::newRow("blank with an image") << QStringLiteral("  \n") << true << true;
}

void TestLauncherView::sendButtonFollowsInputAndAttachment()
{
    QFETCH(QString, input);
    QFETCH(bool, image);
    QFETCH(bool, enabled);
    Launcher launcher;
    launcher.view.inputBar()->field()->insertPlainText(input); // as typed
    if (image)
        launcher.vm.setAttachedImage(QImage(4, 4, QImage::Format_RGB32));
    SymbolButton *send = launcher.view.inputBar()->sendButton();
    QCOMPARE(launcher.vm.inputText(), input);
    QCOMPARE(send->isEnabled(), enabled);
    QCOMPARE(send->symbolName(), QStringLiteral("arrow.up.circle.fill"));
}

void TestLauncherView::stopShortcutOnlyWhileLoading()
{
    Launcher launcher;
    LoopbackServer server;
    QVERIFY(!launcher.view.stopShortcut()->isEnabled());
    if (!startStalledAnswer(launcher, server))
        QSKIP("no key store answers in this session");
    QVERIFY(launcher.vm.isLoading());
    QVERIFY(launcher.view.stopShortcut()->isEnabled());
    QCOMPARE(launcher.view.inputBar()->sendButton()->symbolName(), QStringLiteral("stop.circle.fill"));

    QTest::keyClick(launcher.view.inputBar()->field(), Qt::Key_Period, Qt::ControlModifier);
    QVERIFY(!launcher.vm.isLoading());
    QVERIFY(!launcher.vm.messages().last().isStreaming);
    QVERIFY(!launcher.view.stopShortcut()->isEnabled());
    QCOMPARE(launcher.view.inputBar()->sendButton()->symbolName(), QStringLiteral("arrow.up.circle.fill"));
    qunsetenv("TARNWICK_GEMINI_BASE_URL");
}

void TestLauncherView::conversationAreaShowsEmptyStateErrorOrMessages()
{
    Launcher launcher;
    QVERIFY(launcher.view.showsEmptyState());
    launcher.vm.setSelectedProvider(LLMProvider::OpenRouter);
    launcher.vm.setSelectedModel(LLMProvider::OpenRouter, QStringLiteral("mistralai/large"));
    QVERIFY(!launcher.view.emptyState()->showsVendorLogo()); // the brand mark stands in
    launcher.vm.setSelectedModel(LLMProvider::OpenRouter, QStringLiteral("openai/o3-mini"));
    QVERIFY(launcher.view.emptyState()->showsVendorLogo());
    // So does a change of the local model while Local is picked.
    launcher.vm.setSelectedProvider(LLMProvider::Local);
    launcher.vm.setSelectedModel(LLMProvider::Local, QStringLiteral("mistralai/large"));
    QVERIFY(!launcher.view.emptyState()->showsVendorLogo());
    launcher.vm.setSelectedModel(LLMProvider::Local, QStringLiteral("openai/o3-mini"));
    QVERIFY(launcher.view.emptyState()->showsVendorLogo());
    launcher.vm.setSelectedProvider(LLMProvider::OpenRouter);

    // No key: the error shows above an empty list. The session keyring is shared
    // by every test program, so clear the key rather than hope none was stored.
    QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QString()));
    launcher.vm.setInputText(QStringLiteral("Hello"));
    launcher.vm.send();
    QTRY_VERIFY(launcher.vm.errorMessage().has_value());
    QVERIFY(!launcher.view.showsEmptyState());
    QVERIFY(launcher.view.messageList()->errorBubble());
    QCOMPARE(launcher.view.messageList()->errorBubble()->text(), *launcher.vm.errorMessage());
    QCOMPARE(launcher.view.messageList()->messageCount(), 0);
}

void TestLauncherView::streamingAnswerGoesThroughItsStages()
{
    Launcher launcher;
    const QByteArray png = imageBytes("PNG");
    launcher.vm.setMessages({ChatMessage(Role::User, QString(), png), streamingAnswer()});
    MessageListView *list = launcher.view.messageList();
    MessageBubble *picture = list->bubbleAt(0);
    QVERIFY(picture->showsPicture());
    QVERIFY(!picture->showsBubble());

    MessageBubble *answer = list->bubbleAt(1);
    QVERIFY(answer->showsTypingDots());
    QCOMPARE(answer->statusText(), QStringLiteral("Tarnwick is thinking…"));
    list->updateMessage(1, streamingAnswer(QStringLiteral("Hi **there**")));
    QVERIFY(!answer->showsTypingDots());
    QCOMPARE(answer->statusText(), QStringLiteral("Tarnwick is generating…"));
    list->updateMessage(1, ChatMessage(Role::Assistant, QStringLiteral("Hi **there**")));
    QCOMPARE(answer->statusText(), QString());
    QVERIFY(answer->content()->contentHeight() > 0);
}

void TestLauncherView::streamingFollowsTheBottomOnlyWhileTheUserIsThere()
{
    Launcher launcher;
    QList<ChatMessage> messages;
    for (int index = 0; index < 30; ++index)
        messages.append(ChatMessage(Role::User, QStringLiteral("message %1").arg(index)));
    messages.append(streamingAnswer(QStringLiteral("start")));
    launcher.vm.setMessages(messages);
    MessageListView *list = launcher.view.messageList();
    QScrollBar *bar = list->verticalScrollBar();
    QTRY_VERIFY(list->isFullyBuilt());
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    QString answer = QStringLiteral("start");
    auto grow = [&] {
        answer += QStringLiteral("\nmore text");
        list->updateMessage(30, streamingAnswer(answer));
    };
    grow();
    QCOMPARE(bar->value(), bar->maximum());

    // The user scrolls up to read (or copy) something: streaming leaves the view there.
    bar->setValue(0);
    grow();
    grow();
    QCOMPARE(bar->value(), 0);

    // A message of the user's own brings the view back down.
    list->appendMessage(ChatMessage(Role::User, QStringLiteral("next")));
    QTRY_COMPARE(bar->value(), bar->maximum());
}

void TestLauncherView::longConversationOpensFromTheBottomUp()
{
    Launcher launcher;
    QList<StoredMessage> stored;
    for (int index = 0; index < 400; ++index)
        stored.append(StoredMessage(index % 2 ? QStringLiteral("assistant") : QStringLiteral("user"),
                                    QStringLiteral("message %1 with **some** text").arg(index)));
    const Conversation conversation(QStringLiteral("Long"), QDateTime::currentDateTime(), stored);
    launcher.session.store().upsert(conversation);
    launcher.view.loadConversation(conversation.id);
    MessageListView *list = launcher.view.messageList();
    QCOMPARE(list->messageCount(), 400);
    QVERIFY(!list->isFullyBuilt());
    QVERIFY(list->bubbleAt(399));
    QVERIFY(!list->bubbleAt(0));

    QTRY_VERIFY(list->isFullyBuilt());
    QCOMPARE(list->bubbleAt(0)->message().content, QStringLiteral("message 0 with **some** text"));
    QVERIFY(list->bubbleAt(0)->geometry().bottom() < list->bubbleAt(1)->geometry().top());
    QCOMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());
}

void TestLauncherView::sidebarDeleteOfTheOpenConversationStartsANewOne()
{
    Launcher launcher;
    ConversationStore &store = launcher.session.store();
    store.upsert(Conversation(QStringLiteral("Older"), QDateTime::currentDateTime().addDays(-1),
                              {StoredMessage(QStringLiteral("user"), QStringLiteral("Older"))}));
    launcher.vm.setMessages({ChatMessage(Role::User, QStringLiteral("Open one"))});
    const QUuid open = launcher.session.activeConversationID();

    launcher.view.setSidebarOpen(true);
    ConversationSidebarView *sidebar = launcher.view.sidebar();
    QVERIFY(sidebar);
    QCOMPARE(sidebar->list()->model()->rowCount(), 2);
    QCOMPARE(sidebar->activeID(), open);

    sidebar->deleteRow(1); // not the open one: the launcher is left alone
    QCOMPARE(launcher.session.activeConversationID(), open);
    QCOMPARE(launcher.vm.messages().size(), 1);

    sidebar->deleteRow(0); // the open one
    QVERIFY(launcher.session.activeConversationID().isNull());
    QVERIFY(launcher.vm.messages().isEmpty());
    QVERIFY(store.conversations().isEmpty());
    QVERIFY(!launcher.view.isSidebarOpen());
    QVERIFY(launcher.view.showsEmptyState());
    if (launcher.view.sidebar())
        QVERIFY(launcher.view.sidebar()->showsEmptyState());
}

// The stop that comes with the click saves the streamed answer, which rewrites
// the store's list; the clicked conversation must be taken up whole.
void TestLauncherView::sidebarClickWhileStreamingOpensTheClickedOne()
{
    Launcher launcher;
    ConversationStore &store = launcher.session.store();
    const Conversation older(QStringLiteral("Older"), QDateTime::currentDateTime().addDays(-1),
                             {StoredMessage(QStringLiteral("user"), QStringLiteral("Older question")),
                              StoredMessage(QStringLiteral("assistant"), QStringLiteral("Older answer"))});
    store.upsert(older);
    LoopbackServer server;
    if (!startStalledAnswer(launcher, server))
        QSKIP("no key store answers in this session");
    const QUuid streaming = launcher.session.activeConversationID();

    launcher.view.setSidebarOpen(true);
    QListView *list = launcher.view.sidebar()->list();
    QTRY_VERIFY(list->isVisible());
    const QModelIndex olderRow = list->model()->index(1, 0);
    QCOMPARE(store.conversations().at(1).id, older.id);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(olderRow).center());

    QCOMPARE(launcher.session.activeConversationID(), older.id);
    QCOMPARE(launcher.vm.messages().size(), 2);
    QCOMPARE(launcher.vm.messages().at(1).content, QStringLiteral("Older answer"));
    QVERIFY(!launcher.vm.isLoading());
    const auto saved = std::find_if(store.conversations().cbegin(), store.conversations().cend(),
                                    [&](const Conversation &c) { return c.id == streaming; });
    QVERIFY(saved != store.conversations().cend());
    QCOMPARE(saved->messages.last().content, QStringLiteral("Hel"));
    qunsetenv("TARNWICK_GEMINI_BASE_URL");
}

// Stopping the answer saves it; that save must not bring the deleted conversation back.
void TestLauncherView::sidebarDeleteWhileStreamingStaysDeleted()
{
    Launcher launcher;
    LoopbackServer server;
    if (!startStalledAnswer(launcher, server))
        QSKIP("no key store answers in this session");
    ConversationStore &store = launcher.session.store();
    QCOMPARE(store.conversations().size(), 1);

    launcher.view.setSidebarOpen(true);
    launcher.view.sidebar()->deleteRow(0);
    QVERIFY(!launcher.vm.isLoading());
    QVERIFY(launcher.vm.messages().isEmpty());
    QVERIFY(launcher.session.activeConversationID().isNull());
    QVERIFY(store.conversations().isEmpty());
    store.flush();
    ConversationStore reopened(store.filePath());
    QVERIFY(reopened.conversations().isEmpty());
    qunsetenv("TARNWICK_GEMINI_BASE_URL");
}

void TestLauncherView::modelMenuSwitchesProviderAndModel()
{
    Launcher launcher;
    launcher.defaults.set(Preferences::cachedOpenRouterModels,
                          QStringList{QStringLiteral("anthropic/claude-x"), QStringLiteral("openai/o3-mini")});
    launcher.vm.setSelectedProvider(LLMProvider::Gemini);
    launcher.vm.setSelectedModel(LLMProvider::Gemini, QStringLiteral("gemini-2.5-pro"));
    ModelSwitcherView *switcher = launcher.view.findChild<ModelSwitcherView *>();
    QCOMPARE(switcher->text(), QStringLiteral("2.5 Pro ✦"));

    auto entry = [&](const QString &label) -> QAction * {
        for (QAction *action : switcher->menu()->actions()) {
            if (action->text() == label)
                return action;
        }
        return nullptr;
    };
    QVERIFY(entry(QStringLiteral("gemini-2.5-pro"))->isChecked());
    QVERIFY(!entry(QStringLiteral("openai/o3-mini"))->isChecked());

    entry(QStringLiteral("anthropic/claude-x"))->trigger();
    QCOMPARE(launcher.vm.selectedProvider(), LLMProvider::OpenRouter);
    QCOMPARE(launcher.vm.selectedModel(LLMProvider::OpenRouter), QStringLiteral("anthropic/claude-x"));
    QCOMPARE(launcher.vm.selectedModel(LLMProvider::Gemini),
             QStringLiteral("gemini-2.5-pro")); // kept for a switch back
    QCOMPARE(switcher->text(), QStringLiteral("claude-x"));
    QVERIFY(!entry(QStringLiteral("gemini-2.5-pro"))->isChecked());

    entry(QStringLiteral("gemini-1.5-pro"))->trigger();
    QCOMPARE(launcher.vm.selectedProvider(), LLMProvider::Gemini);
    QCOMPARE(launcher.vm.selectedModel(LLMProvider::Gemini), QStringLiteral("gemini-1.5-pro"));

    launcher.defaults.remove(Preferences::cachedOpenRouterModels);
    QAction *none = entry(QStringLiteral("No OpenRouter models (fetch in Settings)"));
    QVERIFY(none && !none->isEnabled());
    QAction *noLocal = entry(QStringLiteral("No local models (fetch in Settings)"));
    QVERIFY(noLocal && !noLocal->isEnabled());

    // Local models have their own section after the others.
    launcher.defaults.set(Preferences::cachedLocalModels,
                          QStringList{QStringLiteral("llama3.2:latest"), QStringLiteral("qwen3:8b")});
    QStringList labels;
    for (QAction *action : switcher->menu()->actions())
        labels << action->text();
    QCOMPARE(labels.mid(labels.indexOf(QStringLiteral("Local Models"))),
             (QStringList{"Local Models", "llama3.2:latest", "qwen3:8b"}));
    entry(QStringLiteral("qwen3:8b"))->trigger();
    QCOMPARE(launcher.vm.selectedProvider(), LLMProvider::Local);
    QCOMPARE(launcher.vm.selectedModel(LLMProvider::Local), QStringLiteral("qwen3:8b"));
    QCOMPARE(launcher.defaults.string(Preferences::selectedLocalModel), QStringLiteral("qwen3:8b"));
    QCOMPARE(switcher->text(), QStringLiteral("qwen3:8b"));
    QVERIFY(entry(QStringLiteral("qwen3:8b"))->isChecked());
    QVERIFY(!entry(QStringLiteral("gemini-1.5-pro"))->isChecked());
}

// A local server may load its model for a while: the typing dots stay until
// the first words, which then stream into the bubble.
void TestLauncherView::localAnswerStreamsIntoThePanel()
{
    Launcher launcher;
    LoopbackServer server;
    ScriptedResponse loading;
    loading.headers = {{"Content-Type", "text/event-stream"}};
    loading.writes = {
        {"data: "
         "{\"id\":\"chatcmpl-1\",\"object\":\"chat.completion.chunk\",\"created\":1733486061,\"model\":\"llama3.2:"
         "latest\",\"system_fingerprint\":\"fp_ollama\",\"choices\":[{\"index\":0,\"delta\":{\"role\":\"assistant\","
         "\"content\":\"Hello\"},\"finish_reason\":null}]}\n\n",
         1200},
        {"data: "
         "{\"id\":\"chatcmpl-1\",\"object\":\"chat.completion.chunk\",\"created\":1733486061,\"model\":\"llama3.2:"
         "latest\",\"system_fingerprint\":\"fp_ollama\",\"choices\":[{\"index\":0,\"delta\":{\"role\":\"assistant\","
         "\"content\":\" there\"},\"finish_reason\":\"stop\"}]}\n\ndata: [DONE]\n\n",
         50}};
    server.enqueue(loading);
    qputenv("TARNWICK_LOCAL_BASE_URL", (server.baseUrl() + QStringLiteral("/v1")).toUtf8());
    LLMClient::setIdleTimeout(std::chrono::milliseconds(400));
    if (!KeychainHelper::save(KeychainHelper::localAccount, QString()))
        QSKIP("no key store answers in this session");
    launcher.vm.setSelectedProvider(LLMProvider::Local);
    launcher.vm.setSelectedModel(LLMProvider::Local, QStringLiteral("llama3.2:latest"));

    launcher.vm.setInputText(QStringLiteral("hi"));
    launcher.vm.send();
    QVERIFY(launcher.vm.isLoading());
    QTRY_VERIFY(launcher.view.messageList()->bubbleAt(1));
    MessageBubble *answer = launcher.view.messageList()->bubbleAt(1);
    QTest::qWait(700); // longer than the idle rule, shorter than the load
    QVERIFY(launcher.vm.isLoading());
    QVERIFY(answer->showsTypingDots());
    QTRY_VERIFY(!launcher.vm.isLoading());
    QCOMPARE(launcher.vm.messages().last().content, QStringLiteral("Hello there"));
    QVERIFY(!answer->showsTypingDots());
    QCOMPARE(server.requests().first().path, "/v1/chat/completions");
    LLMClient::setIdleTimeout(std::chrono::seconds(60));
    qunsetenv("TARNWICK_LOCAL_BASE_URL");
}

void TestLauncherView::themeFollowsThePreferenceLive()
{
    Launcher launcher;
    auto textIsLight = [&] { return launcher.view.palette().color(QPalette::WindowText).lightness() > 128; };
    launcher.defaults.set(Preferences::appTheme, QStringLiteral("Dark"));
    QVERIFY(textIsLight());
    launcher.defaults.set(Preferences::appTheme, QStringLiteral("Light"));
    QVERIFY(!textIsLight());
    // The palette reaches the bubbles too.
    launcher.vm.setMessages({ChatMessage(Role::Assistant, QStringLiteral("x"))});
    QVERIFY(launcher.view.messageList()->bubbleAt(0)->palette().color(QPalette::WindowText).lightness() < 128);
}

void TestLauncherView::pickedImageFilesAttachAsPng()
{
    Launcher launcher;
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
    QFile file(jpeg);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(imageBytes("JPEG"));
    file.close();
    launcher.view.attachImageFile(jpeg);
    QVERIFY(launcher.vm.attachedImageData().has_value());
    QVERIFY(launcher.vm.attachedImageData()->startsWith("\x89PNG"));
    QCOMPARE(launcher.vm.attachedImageMIME(), QStringLiteral("image/png"));

    launcher.vm.removeAttachment();
    const QString broken = dir.filePath(QStringLiteral("broken.png"));
    QFile bad(broken);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not an image at all");
    bad.close();
    launcher.view.attachImageFile(broken);
    launcher.view.attachImageFile(dir.filePath(QStringLiteral("missing.png")));
    QVERIFY(!launcher.vm.attachedImageData().has_value());
}

QTEST_MAIN(TestLauncherView)
#include "tst_launcherview.moc"
