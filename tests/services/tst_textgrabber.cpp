// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/TextGrabber.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

// Selections are made by xclip, a second X client, as a browser or terminal would.
class TestTextGrabber : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (run inside scripts/test-session)");
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("needs xclip");
    }

    void cleanup()
    {
        for (QProcess *owner : std::as_const(m_owners)) {
            owner->kill();
            owner->waitForFinished();
            delete owner;
        }
        m_owners.clear();
    }

    void selectionOfAnotherProgram_data()
    {
        QTest::addColumn<QByteArray>("selected");
        QTest::addColumn<std::optional<QString>>("grabbed");

        QTest::newRow("word with two spaces each side keeps them")
            << QByteArray("  word  ") << std::optional<QString>(QStringLiteral("  word  "));
        QTest::newRow("two lines with their line breaks")
            << QByteArray("\nline 1\nline 2\n") << std::optional<QString>(QStringLiteral("\nline 1\nline 2\n"));
        QTest::newRow("non-ASCII text") << QByteArray("naïve café ✓")
                                        << std::optional<QString>(QStringLiteral("naïve café ✓"));
        QTest::newRow("two spaces and a line break") << QByteArray("  \n") << std::optional<QString>();
        QTest::newRow("tabs and no-break spaces only") << QByteArray("\t\xc2\xa0\r\n") << std::optional<QString>();
    }

    void selectionOfAnotherProgram()
    {
        QFETCH(QByteArray, selected);
        QFETCH(std::optional<QString>, grabbed);
        QVERIFY(selectElsewhere(selected));
        QCOMPARE(TextGrabber::grabSelectedText(), grabbed);
    }

    void readsThePrimarySelectionNotTheClipboard()
    {
        QVERIFY(selectElsewhere("copied earlier", "clipboard"));
        QVERIFY(selectElsewhere("highlighted now"));
        QCOMPARE(TextGrabber::grabSelectedText(), std::optional<QString>(QStringLiteral("highlighted now")));
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), QStringLiteral("copied earlier"));
    }

    void ourOwnSelectionIsIgnored()
    {
        // Text highlighted in our own input field is no quote from elsewhere.
        QGuiApplication::clipboard()->setText(QStringLiteral("typed in the launcher"), QClipboard::Selection);
        QVERIFY(QGuiApplication::clipboard()->ownsSelection());
        QCOMPARE(TextGrabber::grabSelectedText(), std::optional<QString>());

        // Once another program selects (and the server has told us so), its text is read again.
        QVERIFY(selectElsewhere("from the browser"));
        QTRY_COMPARE_WITH_TIMEOUT(TextGrabber::grabSelectedText(),
                                  std::optional<QString>(QStringLiteral("from the browser")), 15000);
    }

    void noSelectionOwnerGivesNothing()
    {
        QVERIFY(selectElsewhere("short-lived"));
        cleanup();
        QTRY_COMPARE(TextGrabber::grabSelectedText(), std::optional<QString>());
    }

private:
    // Makes `text` the selection of a separate xclip process, owned until cleanup().
    bool selectElsewhere(const QByteArray &text, const char *selection = "primary");
    QList<QProcess *> m_owners;
};

bool TestTextGrabber::selectElsewhere(const QByteArray &text, const char *selection)
{
    auto *owner = new QProcess;
    m_owners << owner;
    owner->start(QStringLiteral("xclip"),
                 {QStringLiteral("-selection"), QString::fromLatin1(selection), QStringLiteral("-quiet")});
    if (!owner->waitForStarted())
        return false;
    owner->write(text);
    owner->closeWriteChannel();
    // xclip takes the selection once it has read all of its input. Until then
    // the reader may ask us, so our event loop keeps turning meanwhile.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QProcess reader;
        QSignalSpy finished(&reader, &QProcess::finished);
        reader.start(QStringLiteral("xclip"),
                     {QStringLiteral("-o"), QStringLiteral("-selection"), QString::fromLatin1(selection)});
        if (finished.wait(5000) && reader.readAllStandardOutput() == text)
            return true;
        QTest::qWait(20);
    }
    return false;
}

QTEST_MAIN(TestTextGrabber)
#include "tst_textgrabber.moc"
