// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a private X server against a loopback provider: the
// hotkey, a typed prompt, the streamed answer saved to history, and the
// conversation reopened from the sidebar.
#include "support/TarnwickProcess.h"
#include "support/XSessionTest.h"
#include "support/LoopbackServer.h"
#include "support/ProviderEvents.h"
#include "support/SpokenAudio.h"
#include "support/TranscriptionStandIn.h"
#include "store/ConversationFile.h"
#include "store/ConversationFormat.h"
#include "store/ConversationStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the program saved: the history file with the changes its journal holds until the next whole write.
QJsonArray history(const QString &path)
{
    const ConversationFile::ReadResult read =
        ConversationFile::readWithJournal(path, ConversationStore::journalPath(path));
    return QJsonDocument::fromJson(ConversationFormat::encode(read.conversations)).array();
}
QString historyFileOf(TarnwickProcess &tarnwick)
{
    return tarnwick.process().processEnvironment().value(QStringLiteral("XDG_DATA_HOME"))
        + QStringLiteral("/Tarnwick/conversations.json");
}
} // namespace

class TestLauncherSystem : public XSessionTest
{
    Q_OBJECT

private Q_SLOTS:
    void promptStreamsIntoHistoryAndReopens()
    {
        LoopbackServer server;
        server.enqueue(eventStream(
            {geminiEvent("Streamed "), geminiEvent("answer "), geminiEvent("from loopback"), geminiFinish()}, 150));
        TarnwickProcess tarnwick(session());
        const QString historyFile = historyFileOf(tarnwick);
        const quint32 panel = startWithKeyAndOpen(tarnwick, server);
        if (QTest::currentTestFailed())
            return;
        typePrompt(QStringLiteral("Hello there"));

        // The answer arrives in pieces and the whole conversation lands in the history file.
        QTRY_VERIFY_WITH_TIMEOUT(
            history(historyFile).size() == 1
                && history(historyFile).first().toObject()[QStringLiteral("messages")].toArray().size() == 2
                && history(historyFile)
                        .first()
                        .toObject()[QStringLiteral("messages")]
                        .toArray()
                        .last()
                        .toObject()[QStringLiteral("content")]
                        .toString()
                    == QStringLiteral("Streamed answer from loopback"),
            kTimeout);
        const QJsonObject saved = history(historyFile).first().toObject();
        QCOMPARE(saved[QStringLiteral("title")].toString(), QStringLiteral("Hello there"));
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().body.contains("Hello there"));

        // A new conversation, then the saved one again from the sidebar: reopening
        // saves it under its own id with a newer date. The clicks aim at the
        // header's sidebar button and the first history row of the 700 by 540 panel.
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+n")));
        const auto clickPanelAt = [&](int x, int y) {
            return session().xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(panel),
                                      QString::number(x), QString::number(y), QStringLiteral("click"),
                                      QStringLiteral("1")});
        };
        QVERIFY(clickPanelAt(57, 30)); // the sidebar button
        QTest::qWait(600); // the sidebar slides in
        QVERIFY(clickPanelAt(80, 105)); // the first row, below the search field
        const double savedDate = saved[QStringLiteral("date")].toDouble();
        QTRY_VERIFY_WITH_TIMEOUT(history(historyFile).size() == 1
                                     && history(historyFile).first().toObject()[QStringLiteral("date")].toDouble()
                                         > savedDate,
                                 kTimeout);
        QCOMPARE(history(historyFile).first().toObject()[QStringLiteral("id")], saved[QStringLiteral("id")]);
    }

    // A disk that takes nothing more (a file size limit, which holds for root too):
    // the failure is told, Quit asks before losing the conversation, and once
    // the disk has room the retry saves it and Quit no longer asks.
    void unsavedHistoryMakesQuitAsk()
    {
        LoopbackServer server;
        server.enqueue(eventStream({geminiEvent("Kept in memory only"), geminiFinish()}, 0));
        TarnwickProcess tarnwick(session());
        const QString historyFile = historyFileOf(tarnwick);
        const quint32 panel = startWithKeyAndOpen(tarnwick, server);
        if (QTest::currentTestFailed())
            return;
        const QString pid = QString::number(tarnwick.process().processId());
        const auto limitFileSize = [&](const QString &limit) {
            int exitCode = -1;
            session().run(QStringLiteral("prlimit"), {QStringLiteral("--pid"), pid, QStringLiteral("--fsize=") + limit},
                          &exitCode);
            QCOMPARE(exitCode, 0);
        };
        limitFileSize(QStringLiteral("1:unlimited")); // the hard limit stays, so that the soft one can rise again

        typePrompt(QStringLiteral("Keep me"));
        QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("history-save-failed")) >= 1, kTimeout);
        QVERIFY(history(historyFile).isEmpty());

        // The question's default answer is to stay.
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+q")));
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("unsaved-changes-asked")), 1, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(session().activeWindow() != panel, kTimeout);
        QVERIFY(session().pressKeys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), panel, kTimeout);
        QTest::qWait(500);
        QCOMPARE(tarnwick.process().state(), QProcess::Running);

        limitFileSize(QStringLiteral("unlimited:unlimited"));
        QTRY_VERIFY_WITH_TIMEOUT(tarnwick.count(QStringLiteral("history-saved-again")) >= 1, kTimeout);
        QCOMPARE(history(historyFile).size(), 1);
        QCOMPARE(history(historyFile).first().toObject()[QStringLiteral("title")].toString(),
                 QStringLiteral("Keep me"));

        QVERIFY(session().pressKeys(QStringLiteral("ctrl+q")));
        QVERIFY(tarnwick.process().waitForFinished(kTimeout));
        QCOMPARE(tarnwick.process().exitCode(), 0);
        QCOMPARE(tarnwick.count(QStringLiteral("unsaved-changes-asked")), 1);
    }

    // Ctrl+D with a WAV file as the microphone: the recording goes to Gemini's
    // stand-in (the chat provider has a key), the transcript joins the input, and
    // only Return sends it.
    void dictationJoinsTheInputForTheUserToSend()
    {
        if (!canSpeak())
            QSKIP("needs espeak-ng and sox to make speech");
        const QString sentence = QStringLiteral("what time is it in new york");
        QTemporaryDir scratch;
        const QString speech = scratch.filePath(QStringLiteral("speech.wav"));
        QVERIFY(speak(sentence, speech));
        LoopbackServer server;
        server.setResponder([&sentence](const RecordedRequest &request) {
            if (request.path.endsWith(":streamGenerateContent"))
                return eventStream({geminiEvent("Noted")}, 0);
            return transcriptionAnswer(request, sentence);
        });
        TarnwickProcess tarnwick(session());
        tarnwick.setEnvironmentVariable(QStringLiteral("TARNWICK_DICTATION_INPUT"), speech);
        startWithKeyAndOpen(tarnwick, server);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(session().pressKeys(QStringLiteral("ctrl+d")));
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("dictation-joined")), 1, kTimeout);
        QCOMPARE(tarnwick.count(QStringLiteral("dictation-transcribing")), 1);
        // The user was told once that the audio leaves the machine.
        QCOMPARE(tarnwick.count(QStringLiteral("dictation-notice")), 1);
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(server.requests().first().path.endsWith(":generateContent"));
        QTest::qWait(500);
        QCOMPARE(server.requests().size(), 1);

        QVERIFY(session().pressKeys(QStringLiteral("Return")));
        QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 2, kTimeout);
        QVERIFY(server.requests().last().body.contains(sentence.toUtf8()));

        // A second dictation is not told again.
        QVERIFY(session().pressKeys(QStringLiteral("ctrl+d")));
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("dictation-joined")), 2, kTimeout);
        QCOMPARE(tarnwick.count(QStringLiteral("dictation-notice")), 1);
    }

private:
    void typePrompt(const QString &prompt);
    quint32 startWithKeyAndOpen(TarnwickProcess &tarnwick, const LoopbackServer &server);
};

void TestLauncherSystem::typePrompt(const QString &prompt)
{
    QVERIFY(session().xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), prompt}));
    QVERIFY(session().pressKeys(QStringLiteral("Return")));
}

quint32 TestLauncherSystem::startWithKeyAndOpen(TarnwickProcess &tarnwick, const LoopbackServer &server)
{
    [&] { QVERIFY(server.isListening()); }();
    tarnwick.setEnvironmentVariable(QStringLiteral("TARNWICK_GEMINI_BASE_URL"), server.baseUrl());
    QProcess setKey;
    setKey.setProcessEnvironment(tarnwick.process().processEnvironment());
    setKey.start(QStringLiteral(TARNWICK_BINARY), {QStringLiteral("set-key"), QStringLiteral("gemini")});
    setKey.write("test-key\n");
    setKey.closeWriteChannel();
    [&] {
        QVERIFY(setKey.waitForFinished(60000));
        QCOMPARE(setKey.exitCode(), 0);
        }();

    tarnwick.start();
    [&] {
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("launched")), 1, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(tarnwick.count(QStringLiteral("hotkey-launch-active")), 1, kTimeout);
        }();
    const quint32 panel = tarnwick.windowId(QStringLiteral("launcher-window"));
    [&] {
        QVERIFY(session().pressKeys(QStringLiteral("alt+space")));
        QTRY_VERIFY_WITH_TIMEOUT(session().isViewable(panel), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(session().activeWindow(), panel, kTimeout);
        }();
    return panel;
}

QTEST_GUILESS_MAIN(TestLauncherSystem)
#include "tst_launchersystem.moc"
