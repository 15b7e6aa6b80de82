// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/KeychainHelper.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/PdfFixtures.h"
#include "support/ProviderEvents.h"

#include "ProgramRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// `ask --file` through the real program: each provider gets text and PDF in
// its own shape, and a file that may not go is refused before anything is sent.
class TestAskFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<LoopbackServer> m_server;
    QTemporaryDir m_files;
    QByteArray m_pdf;

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_files.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write a fixture");
        return file.fileName();
    }

    ProgramRun ask(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        env.insert(QStringLiteral("TARNWICK_GEMINI_BASE_URL"), m_server->baseUrl());
        env.insert(QStringLiteral("TARNWICK_OPENROUTER_BASE_URL"), m_server->baseUrl());
        env.insert(QStringLiteral("TARNWICK_LOCAL_BASE_URL"), m_server->baseUrl() + QStringLiteral("/v1"));
        return runProgram(QStringList{QStringLiteral("ask"), QStringLiteral("--model"), QStringLiteral("m")} + args,
                          env);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_pdf = textPdf({QStringLiteral("Quarterly figures rose"), QStringLiteral("Costs fell sharply")});
    }

    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_server = std::make_unique<LoopbackServer>();
        QVERIFY(KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("g-key")));
        QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("r-key")));
    }

    void cleanup()
    {
        m_server.reset();
        m_home.reset();
    }

    void eachProviderGetsTextAndPdfInItsShape_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::newRow("Gemini") << QStringLiteral("Gemini");
        QTest::newRow("OpenRouter") << QStringLiteral("OpenRouter");
        QTest::newRow("Local") << QStringLiteral("Local");
    }

    void eachProviderGetsTextAndPdfInItsShape()
    {
        QFETCH(QString, provider);
        const bool gemini = provider == QLatin1String("Gemini");
        m_server->enqueue(
            ScriptedResponse::withBody(200,
                                       (gemini ? answerEvents(EventDialect::Gemini, {QStringLiteral("ok")}, true)
                                               : answerEvents(EventDialect::OpenRouter, {QStringLiteral("ok")}, true))
                                           .join()));
        // A code file holding a fence of its own, named so that nothing guesses text from the name.
        const QString code = write(QStringLiteral("fence.bin"), "say ```hi```\n");
        const QString notes = write(QStringLiteral("notes.txt"), "caf\xc3\xa9 list");
        const QString pdf = write(QStringLiteral("report.pdf"), m_pdf);
        const ProgramRun run =
            ask({QStringLiteral("--provider"), provider, QStringLiteral("--file"), code, QStringLiteral("--file"),
                 notes, QStringLiteral("--file"), pdf, QStringLiteral("Summarise")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(run.out, "ok");
        QCOMPARE(m_server->requests().size(), 1);

        const QJsonObject body = QJsonDocument::fromJson(m_server->requests().first().body).object();
        const QJsonArray parts = gemini ? body.value("contents").toArray().last().toObject().value("parts").toArray()
                                        : body.value("messages").toArray().last().toObject().value("content").toArray();
        QCOMPARE(parts.size(), 4);
        const auto text = [&](int i) { return parts.at(i).toObject().value("text").toString(); };
        QCOMPARE(text(0), QStringLiteral("File: fence.bin\n````\nsay ```hi```\n````"));
        QCOMPARE(text(1), QStringLiteral("File: notes.txt\n```\ncafé list\n```"));
        QCOMPARE(text(3), QStringLiteral("Summarise"));
        const QJsonObject pdfPart = parts.at(2).toObject();
        if (gemini) {
            const QJsonObject inlineData = pdfPart.value("inline_data").toObject();
            QCOMPARE(inlineData.value("mime_type").toString(), QStringLiteral("application/pdf"));
            QCOMPARE(QByteArray::fromBase64(inlineData.value("data").toString().toLatin1()), m_pdf);
        } else if (provider == QLatin1String("OpenRouter")) {
            QCOMPARE(pdfPart.value("type").toString(), QStringLiteral("file"));
            const QJsonObject file = pdfPart.value("file").toObject();
            QCOMPARE(file.value("filename").toString(), QStringLiteral("report.pdf"));
            const QString url = file.value("file_data").toString();
            const QString prefix = QStringLiteral("data:application/pdf;base64,");
            QVERIFY(url.startsWith(prefix));
            QCOMPARE(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()), m_pdf);
        } else {
            const QString pages = pdfPart.value("text").toString();
            QVERIFY2(pages.startsWith(QStringLiteral("File: report.pdf (PDF, 2 pages)\n")), qPrintable(pages));
            const qsizetype first = pages.indexOf(QStringLiteral("--- Page 1 ---\nQuarterly figures rose"));
            const qsizetype second = pages.indexOf(QStringLiteral("--- Page 2 ---\nCosts fell sharply"));
            QVERIFY2(first > 0 && second > first, qPrintable(pages));
        }
    }

    void refusedFilesExitTwoAndSendNothing_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("reason");
        QTest::newRow("binary named .txt") << QStringLiteral("Gemini") << QStringList{QStringLiteral("data.txt")}
                                           << QStringLiteral("\u201cdata.txt\u201d: it is neither UTF-8 text");
        QTest::newRow("Latin-1 text") << QStringLiteral("Gemini") << QStringList{QStringLiteral("latin.txt")}
                                      << QStringLiteral("\u201clatin.txt\u201d: it is neither UTF-8 text");
        QTest::newRow("21 MB PDF") << QStringLiteral("OpenRouter") << QStringList{QStringLiteral("big.pdf")}
                                   << QStringLiteral("\u201cbig.pdf\u201d: a PDF may be at most 20 MB");
        QTest::newRow("sixth file") << QStringLiteral("Gemini")
                                    << QStringList{"a.md", "b.md", "c.md", "d.md", "e.md", "f.md"}
                                    << QStringLiteral("\u201cf.md\u201d: a prompt takes at most 5 files");
        QTest::newRow("image-only PDF to Local")
            << QStringLiteral("Local") << QStringList{QStringLiteral("scan.pdf")}
            << QStringLiteral("\u201cscan.pdf\u201d to a local model: the PDF has no text");
    }

    void refusedFilesExitTwoAndSendNothing()
    {
        QFETCH(QString, provider);
        QFETCH(QStringList, names);
        QFETCH(QString, reason);
        const QHash<QString, QByteArray> contents{
            {QStringLiteral("data.txt"), QByteArray("text\0more", 9)},
            {QStringLiteral("latin.txt"), "caf\xe9"},
            {QStringLiteral("big.pdf"), "%PDF-1.4\n" + QByteArray(21 * 1024 * 1024, ' ')},
            {QStringLiteral("scan.pdf"), imageOnlyPdf()}};
        QStringList args{QStringLiteral("--provider"), provider};
        for (const QString &name : names)
            args << QStringLiteral("--file") << write(name, contents.value(name, "words"));
        const ProgramRun run = ask(args << QStringLiteral("hi"));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(reason), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY(m_server->requests().isEmpty());
    }
};

QTEST_MAIN(TestAskFiles)
#include "tst_askfiles.moc"
