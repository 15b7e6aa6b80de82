// What the panel says when an attachment or dictation cannot begin.
#include "launcher/FloatingNotice.h"
#include "launcher/InputBar.h"
#include "launcher/LauncherView.h"
#include "services/SpeechManager.h"
#include "support/IsolatedSession.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

class TestLauncherNotices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No microphone here: an input file that does not exist stands for none.
        qputenv("TARNWICK_DICTATION_INPUT", "/nonexistent/microphone.wav");
    }

    void unreadableImageIsNamed()
    {
        Panel panel;
        LauncherView &view = panel.view;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("IMG_0001.heic"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0'));
        file.close();

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

    void dictationWithoutInputSaysSo()
    {
        Panel panel;
        panel.view.inputBar()->dictateButton()->click();
        QVERIFY(!panel.session.speech().isListening());
        QVERIFY(panel.notice());
        QCOMPARE(panel.notice()->text(), QStringLiteral("No microphone was found."));
    }
};

QTEST_MAIN(TestLauncherNotices)
#include "tst_launchernotices.moc"
