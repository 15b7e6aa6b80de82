// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher's rules: which stored texts name a provider or a theme, how
// quotes and transcripts join the input, how models are named and shown,
// which images can be attached and why not.
#include "core/AppTheme.h"
#include "core/ImageFiles.h"
#include "core/InputJoining.h"
#include "core/ModelNames.h"
#include "llm/LLMProvider.h"
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
    void joinsTheInput_data();
    void joinsTheInput();
    void modelNamesAndLogos_data();
    void modelNamesAndLogos();
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
    const auto theme = fromRawValue<AppTheme>(text);
    QCOMPARE(theme.has_value(), isTheme);
    if (theme)
        QCOMPARE(rawValue(*theme), text);
    // The preferences accept exactly the texts the choices read back.
    QCOMPARE(Preferences::selectedProvider.choices.contains(text), isProvider);
    QCOMPARE(Preferences::appTheme.choices.contains(text), isTheme);
}

// Quotes go in as Markdown quotes, a transcript as typed words.
void TestLauncherRules::joinsTheInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("quote");
    QTest::newRow("quote: one line into an empty input")
        << QString() << QStringLiteral("A") << QStringLiteral("> A\n\n") << true;
    QTest::newRow("quote: second quote after the first")
        << QStringLiteral("> A\n\n") << QStringLiteral("B") << QStringLiteral("> A\n\n\n> B\n\n") << true;
    QTest::newRow("quote: two lines") << QString() << QStringLiteral("line 1\nline 2")
                                      << QStringLiteral("> line 1\n> line 2\n\n") << true;
    QTest::newRow("quote: after typed text")
        << QStringLiteral("Explain") << QStringLiteral("x") << QStringLiteral("Explain\n> x\n\n") << true;
    QTest::newRow("transcript: empty input, no space")
        << QString() << QStringLiteral("hello") << QStringLiteral("hello") << false;
    QTest::newRow("transcript: after text, one space")
        << QStringLiteral("say") << QStringLiteral("hello") << QStringLiteral("say hello") << false;
    QTest::newRow("transcript: empty transcript ignored")
        << QStringLiteral("say") << QString() << QStringLiteral("say") << false;
}

void TestLauncherRules::joinsTheInput()
{
    QFETCH(QString, input);
    QFETCH(QString, added);
    QFETCH(QString, expected);
    QFETCH(bool, quote);
    QCOMPARE(quote ? inputWithQuote(input, added) : inputWithTranscript(input, added), expected);
}

// How a model is named in the header, and which vendor's mark it shows (none: empty).
void TestLauncherRules::modelNamesAndLogos_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("logo");
    QTest::newRow("name: known gemini") << QStringLiteral("gemini-3-flash-preview") << QStringLiteral("3 Flash ✦")
                                        << false;
    QTest::newRow("name: unlisted gemini unchanged")
        << QStringLiteral("gemini-2.0-flash") << QStringLiteral("gemini-2.0-flash") << false;
    QTest::newRow("name: openai prefix") << QStringLiteral("openai/o3-mini") << QStringLiteral("o3-mini") << false;
    QTest::newRow("name: anthropic prefix")
        << QStringLiteral("anthropic/claude-x") << QStringLiteral("claude-x") << false;
    QTest::newRow("name: vendor text in the middle") << QStringLiteral("x-openai/y") << QStringLiteral("x-y") << false;
    QTest::newRow("name: other vendor kept")
        << QStringLiteral("mistralai/large") << QStringLiteral("mistralai/large") << false;
    QTest::newRow("name: case-sensitive removal")
        << QStringLiteral("OpenAI/o3") << QStringLiteral("OpenAI/o3") << false;
    QTest::newRow("logo: gemini in capitals")
        << QStringLiteral("GEMINI-2.5-PRO") << QStringLiteral("gemini_logo") << true;
    QTest::newRow("logo: google prefix") << QStringLiteral("google/gemma") << QStringLiteral("gemini_logo") << true;
    QTest::newRow("logo: openai") << QStringLiteral("openai/o3-mini") << QStringLiteral("openai_logo") << true;
    QTest::newRow("logo: meta") << QStringLiteral("meta-llama/llama-3") << QStringLiteral("meta_logo") << true;
    QTest::newRow("logo: prefix only at the start") << QStringLiteral("x/openai/y") << QString() << true;
    QTest::newRow("logo: unlisted vendor") << QStringLiteral("mistralai/large") << QString() << true;
}

void TestLauncherRules::modelNamesAndLogos()
{
    QFETCH(QString, model);
    QFETCH(QString, expected);
    QFETCH(bool, logo);
    QCOMPARE(logo ? providerImageName(model).value_or(QString()) : formatModelName(model), expected);
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
