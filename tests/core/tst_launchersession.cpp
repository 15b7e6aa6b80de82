// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's session without any widget: the history conversions, the
// saving of the conversation on screen, opening and deleting by id.
#include "core/LauncherSession.h"
#include "core/StoredChat.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "store/ConversationStore.h"
#include "support/FileSizeLimit.h"
#include "support/IsolatedHome.h"
#include "support/IsolatedSession.h"

#include <QDir>

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

using Role = ChatMessage::Role;

struct Session : IsolatedSession
{
    ConversationStore &store = session.store();
};

} // namespace

class TestLauncherSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsMessages();
    void savesUnderOneIdAcrossRuns();
    void followsTheMessagesOnScreen();
    void opensAndDeletesById();
    void historyProblemsAreTold();
};

void TestLauncherSession::convertsMessages()
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

void TestLauncherSession::savesUnderOneIdAcrossRuns()
{
    IsolatedHome home;
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

void TestLauncherSession::followsTheMessagesOnScreen()
{
    Session s;
    QSignalSpy active(&s.session, &LauncherSession::activeConversationChanged);
    s.vm.setMessages({ChatMessage(Role::User, QStringLiteral("First"))});
    const QUuid first = s.session.activeConversationID();
    QVERIFY(!first.isNull());
    QCOMPARE(active.count(), 1);
    s.vm.setMessages(
        {ChatMessage(Role::User, QStringLiteral("First")), ChatMessage(Role::Assistant, QStringLiteral("A"))});
    QCOMPARE(s.store.conversations().size(), 1);
    QCOMPARE(s.store.conversations().first().messages.size(), 2);

    s.session.startNewConversation();
    QVERIFY(s.session.activeConversationID().isNull());
    QCOMPARE(active.count(), 2);
    QCOMPARE(s.store.conversations().size(), 1); // an empty conversation is not saved
}

void TestLauncherSession::opensAndDeletesById()
{
    Session s;
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
    QVERIFY(s.store.conversations().isEmpty());
}

// A file moved aside is told once; a save that fails is told with its reason
// until the user dismisses it, and again when the reason changes.
void TestLauncherSession::historyProblemsAreTold()
{
    IsolatedHome home;
    const QString path = home.historyFile();
    QVERIFY(QDir().mkpath(home.dataHome() + QStringLiteral("/Tarnwick")));
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("[{ not json");
    damaged.close();

    UserDefaults defaults(home.preferencesFile());
    PresetStore presets(home.presetsFile());
    LauncherSession session(defaults, KeyStore::system(), presets, path);
    QSignalSpy told(&session, &LauncherSession::historyNoticeChanged);
    QVERIFY(session.historyNotice().isEmpty());
    session.viewModel().setMessages({ChatMessage(Role::User, QStringLiteral("first"))});
    session.flush();
    QTRY_VERIFY(session.historyNotice().startsWith(QStringLiteral("A history file could not be read and was moved to ")
                                                   + path + QStringLiteral(".corrupt-")));
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
    QVERIFY(session.historyNotice().startsWith(QStringLiteral("History could not be saved: could not write ") + path));
    session.dismissHistoryNotice();
    QVERIFY(session.historyNotice().isEmpty());

    // The retry succeeds now that the limit is gone: nothing is left to tell.
    QTRY_VERIFY_WITH_TIMEOUT(!session.store().hasUnsavedChanges(), 15000);
    QVERIFY(session.historyNotice().isEmpty());
}

QTEST_GUILESS_MAIN(TestLauncherSession)
#include "tst_launchersession.moc"
