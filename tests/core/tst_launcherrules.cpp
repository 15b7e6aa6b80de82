#include "core/InputJoining.h"
#include "core/ModelNames.h"

#include <QTest>

class TestLauncherRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quotesJoinTheInput_data();
    void quotesJoinTheInput();
    void transcriptsJoinTheInput_data();
    void transcriptsJoinTheInput();
    void displayNames_data();
    void displayNames();
    void vendorLogos_data();
    void vendorLogos();
};

void TestLauncherRules::quotesJoinTheInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("grabbed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one line into an empty input") << QString() << QStringLiteral("A") << QStringLiteral("> A\n\n");
    QTest::newRow("second quote after the first") << QStringLiteral("> A\n\n") << QStringLiteral("B")
                                                  << QStringLiteral("> A\n\n\n> B\n\n");
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
    QTest::newRow("after text, one space") << QStringLiteral("say") << QStringLiteral("hello")
                                           << QStringLiteral("say hello");
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
    QTest::newRow("unlisted gemini unchanged") << QStringLiteral("gemini-2.0-flash") << QStringLiteral("gemini-2.0-flash");
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

QTEST_MAIN(TestLauncherRules)
#include "tst_launcherrules.moc"
