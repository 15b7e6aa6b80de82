// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's rules: which stored texts name a provider or a theme, how
// quotes and transcripts join the input, how models are named and shown,
// which images can be attached and why not.
#include "core/AppTheme.h"
#include "core/ImageFiles.h"
#include "core/InputJoining.h"
#include "core/ModelNames.h"
#include "llm/LLMProvider.h"
#include "llm/LLMTurn.h"
#include "platform/Preferences.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray encoded(const char *format)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The start of an HEIF file from a phone: an ISO media "ftyp" box of brand heic.
QByteArray heicHeader()
{
    return QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0');
}

} // namespace

class TestLauncherRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rawValuesMatchExactly_data();
    void rawValuesMatchExactly();
    void providersAndTurns();
    void quotesJoinTheInput_data();
    void quotesJoinTheInput();
    void transcriptsJoinTheInput_data();
    void transcriptsJoinTheInput();
    void displayNames_data();
    void displayNames();
    void vendorLogos_data();
    void vendorLogos();
    void pickerOffersOnlyReadableFormats();
    void readsTheImageOrSaysWhy_data();
    void readsTheImageOrSaysWhy();
};

void TestLauncherRules::rawValuesMatchExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isProvider");
    QTest::addColumn<bool>("isTheme");
    QTest::newRow("OpenRouter") << QStringLiteral("OpenRouter") << true << false;
    QTest::newRow("Local") << QStringLiteral("Local") << true << false;
    QTest::newRow("lower-case gemini") << QStringLiteral("gemini") << false << false;
    QTest::newRow("Dark") << QStringLiteral("Dark") << false << true;
    QTest::newRow("lower-case dark") << QStringLiteral("dark") << false << false;
    QTest::newRow("empty") << QString() << false << false;
}

void TestLauncherRules::rawValuesMatchExactly()
{
    QFETCH(QString, text);
    QFETCH(bool, isProvider);
    QFETCH(bool, isTheme);
    const auto provider = llmProviderFromRawValue(text);
    QCOMPARE(provider.has_value(), isProvider);
    if (provider)
        QCOMPARE(rawValue(*provider), text);
    const auto theme = appThemeFromRawValue(text);
    QCOMPARE(theme.has_value(), isTheme);
    if (theme)
        QCOMPARE(rawValue(*theme), text);
    // The preferences accept exactly the texts the choices read back.
    QCOMPARE(Preferences::selectedProvider.choices.contains(text), isProvider);
    QCOMPARE(Preferences::appTheme.choices.contains(text), isTheme);
}

// The providers in the order Settings lists them; a turn of text alone carries no image.
void TestLauncherRules::providersAndTurns()
{
    QCOMPARE(allLLMProviders(), (QList<LLMProvider>{LLMProvider::Gemini, LLMProvider::OpenRouter, LLMProvider::Local}));
    const LLMTurn turn{QStringLiteral("user"), QStringLiteral("hello")};
    QVERIFY(!turn.imageData);
    QCOMPARE(turn.imageMIME, QStringLiteral("image/png"));
}

void TestLauncherRules::quotesJoinTheInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("grabbed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one line into an empty input") << QString() << QStringLiteral("A") << QStringLiteral("> A\n\n");
    QTest::newRow("second quote after the first")
        << QStringLiteral("> A\n\n") << QStringLiteral("B") << QStringLiteral("> A\n\n\n> B\n\n");
    QTest::newRow("two lines") << QString() << QStringLiteral("line 1\nline 2")
                               << QStringLiteral("> line 1\n> line 2\n\n");
    QTest::newRow("after typed text") << QStringLiteral("Explain") << QStringLiteral("x")
                                      << QStringLiteral("Explain\n> x\n\n");
}

void TestLauncherRules::quotesJoinTheInput()
{
    QFETCH(QString, input);
    QFETCH(QString, grabbed);
    QFETCH(QString, expected);
    QCOMPARE(inputWithQuote(input, grabbed), expected);
}

void TestLauncherRules::transcriptsJoinTheInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("transcript");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty input, no space") << QString() << QStringLiteral("hello") << QStringLiteral("hello");
    QTest::newRow("after text, one space")
        << QStringLiteral("say") << QStringLiteral("hello") << QStringLiteral("say hello");
    QTest::newRow("empty transcript ignored") << QStringLiteral("say") << QString() << QStringLiteral("say");
}

void TestLauncherRules::transcriptsJoinTheInput()
{
    QFETCH(QString, input);
    QFETCH(QString, transcript);
    QFETCH(QString, expected);
    QCOMPARE(inputWithTranscript(input, transcript), expected);
}

void TestLauncherRules::displayNames_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected");
    QTest::newRow("known gemini") << QStringLiteral("gemini-3-flash-preview") << QStringLiteral("3 Flash ✦");
    QTest::newRow("unlisted gemini unchanged")
        << QStringLiteral("gemini-2.0-flash") << QStringLiteral("gemini-2.0-flash");
    QTest::newRow("openai prefix") << QStringLiteral("openai/o3-mini") << QStringLiteral("o3-mini");
    QTest::newRow("anthropic prefix") << QStringLiteral("anthropic/claude-x") << QStringLiteral("claude-x");
    QTest::newRow("vendor text in the middle") << QStringLiteral("x-openai/y") << QStringLiteral("x-y");
    QTest::newRow("other vendor kept") << QStringLiteral("mistralai/large") << QStringLiteral("mistralai/large");
    QTest::newRow("case-sensitive removal") << QStringLiteral("OpenAI/o3") << QStringLiteral("OpenAI/o3");
}

void TestLauncherRules::displayNames()
{
    QFETCH(QString, model);
    QFETCH(QString, expected);
    QCOMPARE(formatModelName(model), expected);
}

void TestLauncherRules::vendorLogos_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected");
    QTest::newRow("gemini in capitals") << QStringLiteral("GEMINI-2.5-PRO") << QStringLiteral("gemini_logo");
    QTest::newRow("google prefix") << QStringLiteral("google/gemma") << QStringLiteral("gemini_logo");
    QTest::newRow("openai") << QStringLiteral("openai/o3-mini") << QStringLiteral("openai_logo");
    QTest::newRow("meta") << QStringLiteral("meta-llama/llama-3") << QStringLiteral("meta_logo");
    QTest::newRow("prefix only at the start") << QStringLiteral("x/openai/y") << QString();
    QTest::newRow("unlisted vendor") << QStringLiteral("mistralai/large") << QString();
}

void TestLauncherRules::vendorLogos()
{
    QFETCH(QString, model);
    QFETCH(QString, expected);
    QCOMPARE(providerImageName(model).value_or(QString()), expected);
}

void TestLauncherRules::pickerOffersOnlyReadableFormats()
{
    const QString filter = ImageFiles::pickerFilter();
    QVERIFY(filter.startsWith(QStringLiteral("Images (")));
    QSet<QString> offered;
    for (const QRegularExpressionMatch &match : QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).globalMatch(filter))
        offered << match.captured(1);
    QSet<QString> readable;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        readable << QString::fromLatin1(format);
    QCOMPARE(offered, readable);
    for (const char *common : {"png", "jpg", "jpeg", "gif"})
        QVERIFY2(offered.contains(QLatin1String(common)), common);
}

void TestLauncherRules::readsTheImageOrSaysWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("problem"); // empty: the image is read

    QTest::newRow("PNG") << QStringLiteral("shot.png") << encoded("PNG") << QString();
    QTest::newRow("JPEG named .png") << QStringLiteral("photo.png") << encoded("JPEG") << QString();
    QTest::newRow("no suffix") << QStringLiteral("photo") << encoded("JPEG") << QString();
    if (!QImageReader::supportedImageFormats().contains("heic"))
        QTest::newRow("HEIC without a decoder")
            << QStringLiteral("IMG_0001.HEIC") << heicHeader()
            << QStringLiteral("Cannot attach \u201cIMG_0001.HEIC\u201d: this system has no decoder for .heic images.");
    QTest::newRow("cut-off PNG") << QStringLiteral("cut.png") << encoded("PNG").left(60)
                                 << QStringLiteral(
                                        "Cannot attach \u201ccut.png\u201d: the image data is damaged or incomplete.");
    QTest::newRow("text") << QStringLiteral("notes.txt") << QByteArray("not an image")
                          << QStringLiteral(
                                 "Cannot attach \u201cnotes.txt\u201d: this system has no decoder for .txt images.");
    QTest::newRow("missing") << QStringLiteral("gone.png") << QByteArray()
                             << QStringLiteral("Cannot attach \u201cgone.png\u201d: the file does not exist.");
    // Reading a pipe would wait for a writer that never comes.
    QTest::newRow("FIFO") << QStringLiteral("pipe.png") << QByteArray("fifo")
                          << QStringLiteral("Cannot attach \u201cpipe.png\u201d: it is not a regular file.");
    QTest::newRow("folder") << QStringLiteral("folder.png") << QByteArray("folder")
                            << QStringLiteral("Cannot attach \u201cfolder.png\u201d: it is not a regular file.");
}

void TestLauncherRules::readsTheImageOrSaysWhy()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (content == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (content == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const ImageFiles::Read read = ImageFiles::read(path);
    QCOMPARE(read.problem, problem);
    QCOMPARE(read.image.isNull(), !problem.isEmpty());
    if (problem.isEmpty())
        QCOMPARE(read.image.size(), QSize(40, 30));
}

QTEST_MAIN(TestLauncherRules)
#include "tst_launcherrules.moc"
