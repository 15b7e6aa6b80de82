// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's view on a real session: sending, streaming, the sidebar, the
// model menu, Regenerate and Edit, attached files and what it tells.
#include "content/MessageContent.h"
#include "history/ConversationSidebarView.h"
#include "launcher/CaptionStrip.h"
#include "launcher/EmptyStateView.h"
#include "launcher/ErrorBubble.h"
#include "launcher/FileChip.h"
#include "launcher/FileChipStrip.h"
#include "launcher/FloatingNotice.h"
#include "launcher/InputBar.h"
#include "launcher/PresetPicker.h"
#include "launcher/InstructionsStrip.h"
#include "launcher/LauncherView.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "launcher/ModelSwitcherView.h"
#include "launcher/MultilineTextField.h"
#include "llm/LLMClient.h"
#include "platform/Preferences.h"
#include "services/KeychainHelper.h"
#include "services/SpeechManager.h"
#include "store/ConversationStore.h"
#include "support/AnswerWait.h"
#include "support/IsolatedSession.h"
#include "support/LoopbackServer.h"
#include "support/PdfFixtures.h"
#include "support/ProviderEvents.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QImageWriter>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

using Role = ChatMessage::Role;
using Action = MessageBubbleActions::Action;

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

// Stands in for the panel window: counts the Escapes the view leaves alone.
class Host : public QWidget
{
public:
    int escapes = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            ++escapes;
    }
};

// The view inside a stand-in panel window, on a loopback Gemini.
struct HostedLauncher : IsolatedSession
{
    LoopbackServer server;
    Host host;
    LauncherView *view = new LauncherView(session, &host);
    MultilineTextField *field = view->inputBar()->field();

    HostedLauncher()
    {
        qputenv("TARNWICK_GEMINI_BASE_URL", server.baseUrl().toUtf8());
        host.resize(700, 540);
        view->resize(700, 540);
        host.show();
        QApplication::setActiveWindow(&host);
        field->setFocus();
    }

    // Types a prompt and waits for its whole answer.
    bool ask(const QString &prompt, const QByteArray &answer)
    {
        server.enqueue(ScriptedResponse::withBody(200, geminiEvent(answer) + geminiFinish()));
        QTest::keyClicks(field, prompt);
        QTest::keyClick(field, Qt::Key_Return);
        return vm.isLoading() && waitForAnswer(vm);
    }

    QStringList texts() const
    {
        QStringList out;
        for (const ChatMessage &message : vm.messages())
            out.append(message.content);
        return out;
    }
};

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a fixture");
    return file.fileName();
}

QMimeData *filesMime(const QStringList &paths)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime->setUrls(urls);
    return mime;
}

// The panel with the input focused, for the "/" list of presets.
struct PresetPanel : Launcher
{
    MultilineTextField *field = view.inputBar()->field();
    PresetPicker *picker = view.presetPicker();

    PresetPanel() { view.focusInput(); }
};

FloatingNotice *noticeOf(const LauncherView &view)
{
    return view.findChild<FloatingNotice *>();
}

} // namespace

class TestLauncherView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendButtonFollowsInputAndAttachment_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty") << QString() << false << false;
        QTest::newRow("spaces and line breaks") << QStringLiteral("  \n \t") << false << false;
        QTest::newRow("text") << QStringLiteral(" hi ") << false << true;
        QTest::newRow("blank with an image") << QStringLiteral("  \n") << true << true;
    }

    void sendButtonFollowsInputAndAttachment()
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

    void stopShortcutOnlyWhileLoading()
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

    void conversationAreaShowsEmptyStateErrorOrMessages()
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

    void streamingAnswerGoesThroughItsStages()
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

    void streamingFollowsTheBottomOnlyWhileTheUserIsThere()
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

    void longConversationOpensFromTheBottomUp()
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

    void sidebarDeleteOfTheOpenConversationStartsANewOne()
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
    void sidebarClickWhileStreamingOpensTheClickedOne()
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
    void sidebarDeleteWhileStreamingStaysDeleted()
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

    void modelMenuSwitchesProviderAndModel()
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
    void localAnswerStreamsIntoThePanel()
    {
        Launcher launcher;
        LoopbackServer server;
        ScriptedResponse loading;
        loading.headers = {{"Content-Type", "text/event-stream"}};
        loading.writes = {{chatChunk("Hello"), 1200}, {chatChunk(" there") + "data: [DONE]\n\n", 50}};
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

    void themeFollowsThePreferenceLive()
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

    void pickedImageFilesAttachAsPng()
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
    }

    // Regenerate and Edit from the panel: the hover buttons and the keys.

    void ctrlRRegeneratesOnlyWhenIdle()
    {
        if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("test-key")))
            QSKIP("no key store answers in this session");
        HostedLauncher l;
        QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier); // nothing to regenerate yet
        QVERIFY(l.vm.messages().isEmpty());
        QVERIFY(l.ask(QStringLiteral("one"), "first"));

        ScriptedResponse stalled = ScriptedResponse::withBody(200, geminiEvent("again"));
        stalled.ending = ScriptedResponse::Ending::Stall;
        l.server.enqueue(stalled);
        QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(l.vm.isLoading());
        QTRY_COMPARE(l.texts(), QStringList({"one", "again"}));
        QTest::keyClick(l.field, Qt::Key_R, Qt::ControlModifier); // streaming: no second request
        QCOMPARE(l.server.requests().size(), 2);
        QTest::keyClick(l.field, Qt::Key_Period, Qt::ControlModifier);
        QVERIFY(!l.vm.isLoading());
        QCOMPARE(l.view->messageList()->messageCount(), 2);
    }

    void upEditsAndEscapeBacksOut()
    {
        if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("test-key")))
            QSKIP("no key store answers in this session");
        HostedLauncher l;
        QVERIFY(l.ask(QStringLiteral("one"), "first"));
        QVERIFY(l.ask(QStringLiteral("two"), "second"));

        // Up in a field with text moves the caret, as ever.
        QTest::keyClicks(l.field, QStringLiteral("x"));
        QTest::keyClick(l.field, Qt::Key_Up);
        QVERIFY(!l.vm.isEditing());
        QTest::keyClick(l.field, Qt::Key_Backspace);

        QTest::keyClick(l.field, Qt::Key_Up);
        QVERIFY(l.vm.isEditing());
        QCOMPARE(l.field->text(), QStringLiteral("two"));
        QCOMPARE(l.field->textCursor().position(), 3);
        QVERIFY(l.view->editingStrip()->isVisible());

        // The first Escape ends the Edit and nothing else; the next one reaches the panel.
        QTest::keyClick(l.field, Qt::Key_Escape);
        QVERIFY(!l.vm.isEditing());
        QCOMPARE(l.host.escapes, 0);
        QVERIFY(l.field->text().isEmpty());
        QVERIFY(!l.view->editingStrip()->isVisible());
        QCOMPARE(l.texts(), QStringList({"one", "first", "two", "second"}));
        QTest::keyClick(l.field, Qt::Key_Escape);
        QCOMPARE(l.host.escapes, 1);

        // Sending the edited prompt replaces it and its answer, on screen too.
        QTest::keyClick(l.field, Qt::Key_Up);
        QTest::keyClicks(l.field, QStringLiteral(" more"));
        QVERIFY(l.ask(QString(), "third"));
        QCOMPARE(l.texts(), QStringList({"one", "first", "two more", "third"}));
        QCOMPARE(l.view->messageList()->messageCount(), 4);
        QCOMPARE(l.view->messageList()->bubbleAt(2)->message().content, QStringLiteral("two more"));
        QVERIFY(!l.view->editingStrip()->isVisible());
    }

    void hoverButtonsRegenerateAndEdit()
    {
        if (!KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("test-key")))
            QSKIP("no key store answers in this session");
        HostedLauncher l;
        QVERIFY(l.ask(QStringLiteral("one"), "first"));
        MessageListView *list = l.view->messageList();
        QCOMPARE(list->bubbleAt(1)->actions(), Action::Copy | Action::Regenerate);
        QCOMPARE(list->bubbleAt(0)->actions(), MessageBubbleActions::Actions(Action::Edit));

        l.server.enqueue(ScriptedResponse::withBody(200, geminiEvent("better") + geminiFinish()));
        list->bubbleAt(1)->actionRow()->button(Action::Regenerate)->click();
        QTRY_VERIFY(!l.vm.isLoading());
        QCOMPARE(l.texts(), QStringList({"one", "better"}));
        QCOMPARE(list->bubbleAt(1)->message().content, QStringLiteral("better"));

        list->bubbleAt(0)->actionRow()->button(Action::Edit)->click();
        QVERIFY(l.vm.isEditing());
        QCOMPARE(l.field->text(), QStringLiteral("one"));
        QVERIFY(l.field->hasFocus());
    }

    // Files dropped and pasted onto the panel, shown as chips, sent with the
    // typed prompt, kept in the history and carried by the next request; and
    // what the panel says when an attachment or dictation cannot begin.

    void dropPasteTypeAndSend()
    {
        Launcher isolated;
        LauncherView &view = isolated.view;
        LoopbackServer server;
        for (int i = 0; i < 2; ++i)
            server.enqueue(ScriptedResponse::withBody(
                200, answerEvents(EventDialect::Ollama, {QStringLiteral("ok")}, true).join()));
        qputenv("TARNWICK_LOCAL_BASE_URL", (server.baseUrl() + QStringLiteral("/v1")).toUtf8());
        if (!KeychainHelper::save(KeychainHelper::localAccount, QString()))
            QSKIP("no key store answers in this session");
        isolated.vm.setSelectedProvider(LLMProvider::Local);
        isolated.vm.setSelectedModel(LLMProvider::Local, QStringLiteral("m"));

        QTemporaryDir dir;
        const QString notes = write(dir, QStringLiteral("notes.txt"), "first line\n");
        const QString pdf = write(dir, QStringLiteral("report.pdf"), textPdf({QStringLiteral("Figures rose")}));
        const QString log = write(dir, QStringLiteral("run.log"), "boot ok\n");

        MultilineTextField *field = view.inputBar()->field();
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("Review these"));
        QVERIFY(!view.fileStrip()->isVisible());

        // Dropped on the panel.
        std::unique_ptr<QMimeData> dropped(filesMime({notes, pdf}));
        QDragEnterEvent enter(QPoint(350, 200), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(350, 200), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &drop);
        // Pasted into the input: attached, not typed as a path.
        QGuiApplication::clipboard()->setMimeData(filesMime({log}));
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("Review these"));

        QVERIFY(view.fileStrip()->isVisible());
        QList<FileChip *> chips = view.fileStrip()->chips();
        QCOMPARE(chips.size(), 3);
        QCOMPARE(chips.at(0)->accessibleName(), QStringLiteral("notes.txt"));
        QCOMPARE(chips.at(0)->sizeText(), QStringLiteral("11 bytes"));
        QVERIFY(chips.at(1)->geometry().left() > chips.at(0)->geometry().right());
        QTest::mouseClick(chips.at(2)->removeButton(), Qt::LeftButton);
        QCOMPARE(isolated.vm.attachedFiles().size(), 2);
        QCOMPARE(view.fileStrip()->chips().size(), 2);

        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!isolated.vm.isLoading() && isolated.vm.messages().size() == 2);
        QVERIFY(!view.fileStrip()->isVisible());
        const QByteArray body = server.requests().first().body;
        QVERIFY(body.contains("File: notes.txt\\n```\\nfirst line\\n```"));
        QVERIFY(body.contains("--- Page 1 ---\\nFigures rose"));
        QVERIFY(!body.contains("run.log"));
        QCOMPARE(view.messageList()->bubbleAt(0)->fileStrip()->chips().size(), 2);

        // Kept in the history, shown again when reopened, and sent again with the next prompt.
        const QUuid id = isolated.session.activeConversationID();
        QCOMPARE(isolated.session.store().conversations().first().messages.first().attachments.size(), 2);
        view.startNewConversation();
        view.loadConversation(id);
        QTRY_VERIFY(view.messageList()->bubbleAt(0));
        QCOMPARE(view.messageList()->bubbleAt(0)->fileStrip()->chips().size(), 2);
        QTest::keyClicks(field, QStringLiteral("And then?"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(server.requests().size(), 2);
        QVERIFY(server.requests().at(1).body.contains("File: notes.txt"));
        qunsetenv("TARNWICK_LOCAL_BASE_URL");
    }

    void unreadableImageIsNamed()
    {
        Launcher panel;
        LauncherView &view = panel.view;
        QTemporaryDir dir;
        const QString path =
            write(dir, QStringLiteral("IMG_0001.heic"),
                  QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0'));

        view.attachImageFile(path);
        QVERIFY(!panel.vm.attachedImageData().has_value());
        QVERIFY(noticeOf(panel.view));
        QVERIFY(noticeOf(panel.view)->isVisible());
        QVERIFY2(noticeOf(panel.view)->text().startsWith(QStringLiteral("Cannot attach \u201cIMG_0001.heic\u201d")),
                 qPrintable(noticeOf(panel.view)->text()));
        // Inside the panel, above the input.
        QVERIFY(view.rect().contains(noticeOf(panel.view)->geometry()));
        QVERIFY(noticeOf(panel.view)->geometry().bottom() < view.inputBar()->mapTo(&view, QPoint(0, 0)).y());

        // A second failure replaces the first notice.
        view.attachImageFile(dir.filePath(QStringLiteral("gone.png")));
        QCOMPARE(view.findChildren<FloatingNotice *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
        QVERIFY(noticeOf(panel.view)->text().contains(QStringLiteral("does not exist")));
    }

    void dictationWithoutInputSaysSo()
    {
        // No microphone here: an input file that does not exist stands for none.
        qputenv("TARNWICK_DICTATION_INPUT", "/nonexistent/microphone.wav");
        Launcher panel;
        panel.view.inputBar()->dictateButton()->click();
        QVERIFY(!panel.session.speech().isListening());
        QVERIFY(noticeOf(panel.view));
        QCOMPARE(noticeOf(panel.view)->text(), QStringLiteral("No microphone was found."));
    }

    // Presets in the panel: the "/" list under the input, driven by typed
    // keys, and the conversation's instructions strip.

    void slashListsPresetsAndTypedKeysPickOne()
    {
        PresetPanel panel;
        QSignalSpy closed(&panel.view, &LauncherView::closeRequested);
        QVERIFY(panel.picker->isHidden());
        QTest::keyClick(panel.field, Qt::Key_Slash);
        QTRY_VERIFY(panel.picker->isVisible());
        QCOMPARE(panel.picker->shownNames(), (QStringList{"fix", "explain", "translate", "summarize"}));
        // Below the input, inside the panel.
        QVERIFY(panel.picker->geometry().top() >= panel.view.inputBar()->geometry().bottom());

        // Filtered as the user types: names that start with it first, then those holding it.
        QTest::keyClicks(panel.field, QStringLiteral("a"));
        QCOMPARE(panel.picker->shownNames(), (QStringList{"explain", "translate", "summarize"}));
        QTest::keyClick(panel.field, Qt::Key_Down);
        QTest::keyClick(panel.field, Qt::Key_Down);
        QTest::keyClick(panel.field, Qt::Key_Down);
        QCOMPARE(panel.picker->currentRow(), 0); // round again
        QTest::keyClick(panel.field, Qt::Key_Up);
        QTest::keyClick(panel.field, Qt::Key_Tab);
        QCOMPARE(panel.vm.inputText(), QStringLiteral("/summarize "));
        QCOMPARE(panel.field->textCursor().position(), 11);
        QVERIFY(panel.picker->isHidden());
        QVERIFY(panel.field->hasFocus()); // Tab picked, it did not move the focus

        // Esc puts the list away and leaves the panel open; a new word brings it back.
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/tr"));
        QCOMPARE(panel.picker->shownNames(), QStringList{"translate"});
        QTest::keyClick(panel.field, Qt::Key_Escape);
        QVERIFY(panel.picker->isHidden());
        QCOMPARE(closed.size(), 0);
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/fi"));
        QTest::keyClick(panel.field, Qt::Key_Return);
        QCOMPARE(panel.vm.inputText(), QStringLiteral("/fix "));

        // A name typed in full goes out on Return, as any prompt.
        panel.field->selectAll();
        QTest::keyClicks(panel.field, QStringLiteral("/fix"));
        QVERIFY(panel.picker->isVisible());
        QTest::keyClick(panel.field, Qt::Key_Return);
        QTRY_VERIFY(panel.vm.errorMessage().has_value()); // nothing highlighted to fix
        QVERIFY(panel.vm.errorMessage()->startsWith(QStringLiteral("/fix works on the highlighted text")));
        QTest::keyClick(panel.field, Qt::Key_Space);
        QVERIFY(panel.picker->isHidden()); // past the name, the list has nothing to offer
    }

    void instructionsStripFoldsAndUnfolds()
    {
        PresetPanel panel;
        InstructionsStrip *strip = panel.view.instructionsStrip();
        QVERIFY(strip->isHidden());
        const QString instructions = QStringLiteral("Translate into German.\n") + QString(400, QLatin1Char('x'));
        panel.vm.setInstructions(instructions);
        QVERIFY(strip->isVisible());
        const int folded = strip->height();
        QTest::mouseClick(strip, Qt::LeftButton);
        QVERIFY(strip->isExpanded());
        QTRY_VERIFY(strip->height() > folded);
        QTest::mouseClick(strip, Qt::LeftButton);
        QTRY_COMPARE(strip->height(), folded);
        panel.vm.newConversation();
        QVERIFY(strip->isHidden());
    }
};

QTEST_MAIN(TestLauncherView)
#include "tst_launcherview.moc"
