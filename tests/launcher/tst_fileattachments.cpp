// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/FileChip.h"
#include "launcher/FileChipStrip.h"
#include "launcher/FloatingNotice.h"
#include "launcher/InputBar.h"
#include "launcher/LauncherView.h"
#include "launcher/MessageBubble.h"
#include "launcher/MessageListView.h"
#include "launcher/MultilineTextField.h"
#include "llm/LLMClient.h"
#include "services/KeychainHelper.h"
#include "services/SpeechManager.h"
#include "store/ConversationStore.h"
#include "support/IsolatedSession.h"
#include "support/LoopbackServer.h"
#include "support/PdfFixtures.h"
#include "support/ProviderEvents.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// Files in the panel: dropped and pasted onto it, shown as chips, sent with
// the typed prompt, kept in the history and carried by the next request; and
// what the panel says when an attachment or dictation cannot begin.
class TestFileAttachments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dropPasteTypeAndSend();
    void unreadableImageIsNamed();
    void dictationWithoutInputSaysSo();
};

namespace {

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

struct Panel : IsolatedSession
{
    LauncherView view{session};

    Panel()
    {
        view.resize(700, 540);
        view.show();
    }

    FloatingNotice *notice() const { return view.findChild<FloatingNotice *>(); }
};

} // namespace

void TestFileAttachments::initTestCase()
{
    // No microphone here: an input file that does not exist stands for none.
    qputenv("TARNWICK_DICTATION_INPUT", "/nonexistent/microphone.wav");
}

void TestFileAttachments::dropPasteTypeAndSend()
{
    IsolatedSession isolated;
    LauncherView view(isolated.session);
    view.resize(700, 540);
    view.show();
    QApplication::setActiveWindow(&view);
    LoopbackServer server;
    for (int i = 0; i < 2; ++i)
        server.enqueue(
            ScriptedResponse::withBody(200, answerEvents(EventDialect::Ollama, {QStringLiteral("ok")}, true).join()));
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

void TestFileAttachments::unreadableImageIsNamed()
{
    Panel panel;
    LauncherView &view = panel.view;
    QTemporaryDir dir;
    const QString path =
        write(dir, QStringLiteral("IMG_0001.heic"),
              QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0'));

    view.attachImageFile(path);
    QVERIFY(!panel.vm.attachedImageData().has_value());
    QVERIFY(panel.notice());
    QVERIFY(panel.notice()->isVisible());
    QVERIFY2(panel.notice()->text().startsWith(QStringLiteral("Cannot attach \u201cIMG_0001.heic\u201d")),
             qPrintable(panel.notice()->text()));
    // Inside the panel, above the input.
    QVERIFY(view.rect().contains(panel.notice()->geometry()));
    QVERIFY(panel.notice()->geometry().bottom() < view.inputBar()->mapTo(&view, QPoint(0, 0)).y());

    // A second failure replaces the first notice.
    view.attachImageFile(dir.filePath(QStringLiteral("gone.png")));
    QCOMPARE(view.findChildren<FloatingNotice *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    QVERIFY(panel.notice()->text().contains(QStringLiteral("does not exist")));
}

void TestFileAttachments::dictationWithoutInputSaysSo()
{
    Panel panel;
    panel.view.inputBar()->dictateButton()->click();
    QVERIFY(!panel.session.speech().isListening());
    QVERIFY(panel.notice());
    QCOMPARE(panel.notice()->text(), QStringLiteral("No microphone was found."));
}

QTEST_MAIN(TestFileAttachments)
#include "tst_fileattachments.moc"
