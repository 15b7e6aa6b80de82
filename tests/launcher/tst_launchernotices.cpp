// What the panel says when an attachment or dictation cannot begin.
#include "core/LauncherSession.h"
#include "core/LauncherViewModel.h"
#include "launcher/FloatingNotice.h"
#include "launcher/InputBar.h"
#include "launcher/LauncherView.h"
#include "platform/UserDefaults.h"
#include "services/SpeechManager.h"
#include "support/IsolatedHome.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

class TestLauncherNotices : public QObject
{
    Q_OBJECT

private:
    static FloatingNotice *notice(LauncherView &view) { return view.findChild<FloatingNotice *>(); }

private Q_SLOTS:
    void initTestCase()
    {
        // No microphone here: an input file that does not exist stands for none.
        qputenv("TARNWICK_DICTATION_INPUT", "/nonexistent/microphone.wav");
    }

    void unreadableImageIsNamed()
    {
        IsolatedHome home;
        UserDefaults defaults(home.configHome() + QStringLiteral("/Tarnwick/preferences.json"));
        LauncherSession session(defaults, home.dataHome() + QStringLiteral("/Tarnwick/conversations.json"));
        LauncherView view(session);
        view.resize(700, 540);
        view.show();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("IMG_0001.heic"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0'));
        file.close();

        view.attachImageFile(path);
        QVERIFY(!session.viewModel().attachedImageData().has_value());
        QVERIFY(notice(view));
        QVERIFY(notice(view)->isVisible());
        QVERIFY2(notice(view)->text().startsWith(QStringLiteral("Cannot attach \u201cIMG_0001.heic\u201d")),
                 qPrintable(notice(view)->text()));
        // Inside the panel, above the input.
        QVERIFY(view.rect().contains(notice(view)->geometry()));
        QVERIFY(notice(view)->geometry().bottom() < view.inputBar()->mapTo(&view, QPoint(0, 0)).y());

        // A second failure replaces the first notice.
        view.attachImageFile(dir.filePath(QStringLiteral("gone.png")));
        QCOMPARE(view.findChildren<FloatingNotice *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
        QVERIFY(notice(view)->text().contains(QStringLiteral("does not exist")));
    }

    void dictationWithoutInputSaysSo()
    {
        IsolatedHome home;
        UserDefaults defaults(home.configHome() + QStringLiteral("/Tarnwick/preferences.json"));
        LauncherSession session(defaults, home.dataHome() + QStringLiteral("/Tarnwick/conversations.json"));
        LauncherView view(session);
        view.resize(700, 540);
        view.show();
        view.inputBar()->dictateButton()->click();
        QVERIFY(!session.speech().isListening());
        QVERIFY(notice(view));
        QCOMPARE(notice(view)->text(), QStringLiteral("No microphone was found."));
    }
};

QTEST_MAIN(TestLauncherNotices)
#include "tst_launchernotices.moc"
