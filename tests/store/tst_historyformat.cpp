// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Conversation.h"
#include "store/ConversationExport.h"
#include "store/ConversationFormat.h"
#include "store/RelativeDate.h"

#include <QTest>

class TestHistoryFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesExactBytes();
    void roundTripsEveryField();
    void keepsReasoningAndUsageBeside();
    void keepsAttachedFilesBeside();
    void readsLenientForms_data();
    void readsLenientForms();
    void rejectsWholeFile_data();
    void rejectsWholeFile();
    void makesTitles_data();
    void makesTitles();
    void wordsRelativeDates_data();
    void wordsRelativeDates();
};

namespace {

const QUuid kId = QUuid::fromString(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"));

QDateTime referenceDate(double seconds)
{
    return ConversationFormat::dateFromReferenceSeconds(seconds);
}

const char *const kMessageTail = R"(,"messages":[{"role":"user","content":"hi","imageMIME":"image\/png"}]})";

QByteArray fileWith(const QByteArray &conversationMembers)
{
    return "[{" + conversationMembers + "}]";
}

} // namespace

void TestHistoryFormat::writesExactBytes()
{
    const Conversation conversation(
        kId, QStringLiteral("Explain quicksort"), referenceDate(786000000.5),
        {StoredMessage(QStringLiteral("user"), QStringLiteral("Explain quicksort")),
         StoredMessage(QStringLiteral("assistant"), QStringLiteral("See a/b \"q\" \\ \t\n\x01 é 😀</x>")),
         StoredMessage(QStringLiteral("user"), QString(), QByteArray("\x89PNG\r\n", 6))});
    const QByteArray expected =
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"Explain quicksort","date":786000000.5,)"
        R"("messages":[{"role":"user","content":"Explain quicksort","imageMIME":"image\/png"},)"
        R"({"role":"assistant","content":"See a\/b \"q\" \\ \t\n\u0001 )"
        + QStringLiteral("é 😀").toUtf8()
        + R"(<\/x>","imageMIME":"image\/png"},)"
          R"({"role":"user","content":"","imageData":"iVBORw0K","imageMIME":"image\/png"}]}])";
    QCOMPARE(ConversationFormat::encode({conversation}), expected);

    // Whole seconds carry no fraction and never an exponent.
    Conversation whole = conversation;
    whole.date = referenceDate(800000000);
    whole.messages.clear();
    QVERIFY(ConversationFormat::encodeConversation(whole).contains(R"("date":800000000,)"));
    QCOMPARE(ConversationFormat::encode({}), QByteArray("[]"));

    // A long answer is written in pieces: a character pair and escapes at the
    // seams come out as in a short one.
    const QString seam = QStringLiteral("😀/\"\n");
    const QString longText = QString(65535, QLatin1Char('a')) + seam + QString(70000, QChar(0xe9)) + seam;
    const QByteArray escapedSeam = QStringLiteral("😀").toUtf8() + R"(\/\"\n)";
    const QByteArray longBytes =
        "\"" + QByteArray(65535, 'a') + escapedSeam + QString(70000, QChar(0xe9)).toUtf8() + escapedSeam + "\"";
    whole.messages = {StoredMessage(QStringLiteral("assistant"), longText)};
    QVERIFY(ConversationFormat::encodeConversation(whole).contains("\"content\":" + longBytes + ","));
}

void TestHistoryFormat::roundTripsEveryField()
{
    QByteArray image(70000, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i * 7);
    QList<Conversation> original = {
        Conversation(kId, QStringLiteral("Ünïcode / \"title\"\n2"), referenceDate(-12.345),
                     {StoredMessage(QStringLiteral("User"), QString::fromUtf16(u"a\u2028b\0c", 5), image,
                                    QStringLiteral("image/jpeg")),
                      StoredMessage(QStringLiteral("assistant"), QStringLiteral("```\ncode\n```")),
                      StoredMessage(QStringLiteral("user"), QString(), QByteArray("a")),
                      StoredMessage(QStringLiteral("user"), QString(), QByteArray("ab")),
                      StoredMessage(QStringLiteral("user"), QString(), QByteArray("abc")),
                      StoredMessage(QStringLiteral("user"), QString(), QByteArray())}),
        Conversation(QStringLiteral("empty"), QDateTime::currentDateTimeUtc(), {}),
    };
    original[0].instructions = QStringLiteral("Be terse. {input} stays\n\"as is\"");
    const auto decoded = ConversationFormat::decode(ConversationFormat::encode(original));
    QVERIFY(decoded);
    QCOMPARE(decoded->size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(decoded->at(i).id, original.at(i).id);
        QCOMPARE(decoded->at(i).title, original.at(i).title);
        QCOMPARE(decoded->at(i).date, original.at(i).date);
        QCOMPARE(decoded->at(i).messages, original.at(i).messages);
        QCOMPARE(decoded->at(i).instructions, original.at(i).instructions);
    }
}

// Reasoning and usage are members of their own after the old ones, written
// only when there are some; wrong types read as none, and the export shows
// the reasoning apart from the answer.
void TestHistoryFormat::keepsReasoningAndUsageBeside()
{
    StoredMessage answer(QStringLiteral("assistant"), QStringLiteral("Yes."));
    answer.reasoning = QStringLiteral("Step 1\n\nstep/2");
    answer.reasoningSeconds = 12.25;
    answer.usage = LLMUsage{194, 40, 1000, 0.0031};
    StoredMessage counted(QStringLiteral("assistant"), QStringLiteral("No."));
    counted.usage = LLMUsage{5, 7, 0, std::nullopt};
    const Conversation conversation(kId, QStringLiteral("t"), referenceDate(1),
                                    {StoredMessage(QStringLiteral("user"), QStringLiteral("hi")), answer, counted});
    const QByteArray bytes = ConversationFormat::encodeConversation(conversation);
    QVERIFY(bytes.contains(
        R"({"role":"user","content":"hi","imageMIME":"image\/png"},)"
        R"({"role":"assistant","content":"Yes.","imageMIME":"image\/png","reasoning":"Step 1\n\nstep\/2",)"
        R"("reasoningSeconds":12.25,"usage":{"promptTokens":194,"answerTokens":40,"thoughtTokens":1000,"cost":0.0031}},)"
        R"({"role":"assistant","content":"No.","imageMIME":"image\/png",)"
        R"("usage":{"promptTokens":5,"answerTokens":7,"thoughtTokens":0}}]})"));
    const auto decoded = ConversationFormat::decode("[" + bytes + "]");
    QVERIFY(decoded);
    QCOMPARE(decoded->front().messages, conversation.messages);

    const auto odd = ConversationFormat::decode(
        fileWith(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"t","date":1,"messages":[{"role":"assistant",)"
                 R"("content":"a","imageMIME":"image/png","reasoning":7,"reasoningSeconds":"12","usage":[1]}])"));
    QVERIFY(odd);
    QCOMPARE(odd->front().messages.front(), StoredMessage(QStringLiteral("assistant"), QStringLiteral("a")));

    QCOMPARE(
        ConversationExport::markdown(conversation),
        QStringLiteral("# t\n\n## User\n\nhi\n\n## Assistant\n\n> **Reasoning**\n>\n> Step 1\n>\n> step/2\n\nYes.\n"
                       "\n## Assistant\n\nNo.\n"));
}

void TestHistoryFormat::keepsAttachedFilesBeside()
{
    StoredMessage prompt(QStringLiteral("user"), QStringLiteral("Read these"));
    prompt.attachments = {{QStringLiteral("notes/1.txt"), QStringLiteral("text/plain"), "a\nb"},
                          {QStringLiteral("r.pdf"), QStringLiteral("application/pdf"), QByteArray("%PDF-\0\xff", 7)}};
    const Conversation conversation(kId, QStringLiteral("t"), referenceDate(1),
                                    {prompt, StoredMessage(QStringLiteral("assistant"), QStringLiteral("Done."))});
    const QByteArray bytes = ConversationFormat::encodeConversation(conversation);
    // Only the message with files carries the member; the answer keeps the old form.
    QVERIFY(bytes.contains(R"({"role":"user","content":"Read these","imageMIME":"image\/png","attachments":[)"
                           R"({"name":"notes\/1.txt","mime":"text\/plain","data":"YQpi"},)"
                           R"({"name":"r.pdf","mime":"application\/pdf","data":"JVBERi0A/w=="}]},)"
                           R"({"role":"assistant","content":"Done.","imageMIME":"image\/png"}]})"));
    const auto decoded = ConversationFormat::decode("[" + bytes + "]");
    QVERIFY(decoded);
    QCOMPARE(decoded->front().messages, conversation.messages);

    // An entry without a name or with data that is not Base64 is left out; the rest loads.
    const auto odd = ConversationFormat::decode(
        fileWith(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"t","date":1,"messages":[{"role":"user",)"
                 R"("content":"a","imageMIME":"image/png","attachments":[{"mime":"text/plain","data":"YQ=="},)"
                 R"({"name":"b","mime":"text/plain","data":"**"},{"name":"c","mime":"text/plain","data":"YQ=="}]},)"
                 R"({"role":"user","content":"b","imageMIME":"image/png","attachments":"none"}])"));
    QVERIFY(odd);
    QCOMPARE(odd->front().messages.at(0).attachments,
             QList<FileAttachment>({{QStringLiteral("c"), QStringLiteral("text/plain"), "a"}}));
    QVERIFY(odd->front().messages.at(1).attachments.isEmpty());

    QCOMPARE(ConversationExport::markdown(conversation),
             QStringLiteral(
                 "# t\n\n## User\n\n*Attached:* `notes/1.txt`, `r.pdf`\n\nRead these\n\n## Assistant\n\nDone.\n"));
}

void TestHistoryFormat::readsLenientForms_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("members in any order, unknown members")
        << QByteArray(R"([{"messages":[{"imageMIME":"image/png","extra":[1],"content":"hi","role":"user"}],)"
                      R"("date":1,"future":{},"title":"t","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"}])");
    QTest::newRow("null image") << fileWith(
        R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"t","date":1,"messages":[{"role":"user","content":"hi","imageData":null,"imageMIME":"image/png"}])");
    QTest::newRow("lower-case id, plain slashes") << fileWith(
        R"("id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","title":"t","date":1,"messages":[{"role":"user","content":"hi","imageMIME":"image/png"}])");
    QTest::newRow("white space between tokens") << QByteArray(
        "[ {\n \"id\" : \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\", \"title\":\"t\", \"date\": 1.0e0,\n"
        " \"messages\" : [ { \"role\":\"user\", \"content\":\"hi\", \"imageMIME\":\"image\\/png\" } ] } ]\n");
}

void TestHistoryFormat::readsLenientForms()
{
    QFETCH(QByteArray, bytes);
    const auto decoded = ConversationFormat::decode(bytes);
    QVERIFY2(decoded, qPrintable(decoded.message()));
    QCOMPARE(decoded->size(), 1);
    QCOMPARE(decoded->front().id, kId);
    QCOMPARE(decoded->front().messages.front().imageMIME, QStringLiteral("image/png"));
    QVERIFY(!decoded->front().messages.front().imageData);
}

void TestHistoryFormat::rejectsWholeFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"t","date":1)";
    QTest::newRow("not JSON") << QByteArray("[{\"id\":");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("top level is an object") << QByteArray("{}");
    QTest::newRow("trailing garbage") << QByteArray("[] x");
    QTest::newRow("missing imageMIME") << fileWith(good + R"(,"messages":[{"role":"user","content":"hi"}])");
    QTest::newRow("id not a UUID") << fileWith(R"("id":"42","title":"t","date":1)"
                                               + QByteArray(kMessageTail).chopped(1));
    QTest::newRow("id in braces") << fileWith(R"("id":"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}","title":"t","date":1)"
                                              + QByteArray(kMessageTail).chopped(1));
    QTest::newRow("date as text") << fileWith(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"t","date":"1")"
                                              + QByteArray(kMessageTail).chopped(1));
    QTest::newRow("missing title") << fileWith(R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","date":1)"
                                               + QByteArray(kMessageTail).chopped(1));
    QTest::newRow("messages not an array") << fileWith(good + R"(,"messages":{})");
    QTest::newRow("instructions a number") << fileWith(good + R"(,"messages":[],"instructions":5)");
    QTest::newRow("role a number") << fileWith(good + R"(,"messages":[{"role":1,"content":"hi","imageMIME":"x"}])");
    QTest::newRow("image not Base64") << fileWith(
        good + R"(,"messages":[{"role":"user","content":"","imageData":"**","imageMIME":"x"}])");
    QTest::newRow("image without padding")
        << fileWith(good + R"(,"messages":[{"role":"user","content":"","imageData":"YWI","imageMIME":"x"}])");
    QTest::newRow("image with a line break")
        << fileWith(good + R"(,"messages":[{"role":"user","content":"","imageData":"YWJj\nYWJj","imageMIME":"x"}])");
    QTest::newRow("image padding inside")
        << fileWith(good + R"(,"messages":[{"role":"user","content":"","imageData":"YQ==YWJj","imageMIME":"x"}])");
    QTest::newRow("one good, one bad conversation")
        << ("[{" + good + kMessageTail + ",{" + good + R"(,"messages":[1]}])");
}

void TestHistoryFormat::rejectsWholeFile()
{
    QFETCH(QByteArray, bytes);
    const auto decoded = ConversationFormat::decode(bytes);
    QVERIFY(!decoded);
    QVERIFY(!decoded.message().isEmpty());
}

// Messages written as "user:text" or "assistant:text".
void TestHistoryFormat::makesTitles_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("title");
    const QString fortyTwo = QString(42, QLatin1Char('x'));
    // Family emoji (a ZWJ sequence of 11 code units), e with a combining acute, a flag.
    const QString family = QStringLiteral("👨‍👩‍👧‍👦");
    const QString accented = QStringLiteral("e\u0301");
    const QString flag = QStringLiteral("🇫🇷");
    const QString ellipsis = QString(QChar(0x2026));

    QTest::newRow("trimmed prompt") << QStringList{QStringLiteral("user:  Explain quicksort \n")}
                                    << QStringLiteral("Explain quicksort");
    QTest::newRow("inner line breaks stay")
        << QStringList{QStringLiteral("user:\ta\nb\u3000")} << QStringLiteral("a\nb");
    QTest::newRow("42 characters unchanged") << QStringList{QStringLiteral("user:") + fortyTwo} << fortyTwo;
    QTest::newRow("43 characters cut") << QStringList{QStringLiteral("user:") + fortyTwo + QLatin1Char('y')}
                                       << fortyTwo + ellipsis;
    QTest::newRow("first user message wins")
        << QStringList{QStringLiteral("assistant:hello"), QStringLiteral("user:one"), QStringLiteral("user:two")}
        << QStringLiteral("one");
    QTest::newRow("only an assistant message")
        << QStringList{QStringLiteral("assistant:hi")} << QStringLiteral("New Conversation");
    QTest::newRow("blank first user message")
        << QStringList{QStringLiteral("user: \n "), QStringLiteral("user:later")} << QStringLiteral("New Conversation");
    QTest::newRow("no messages") << QStringList{} << QStringLiteral("New Conversation");
    QTest::newRow("43 emoji cut whole") << QStringList{QStringLiteral("user:") + family.repeated(43)}
                                        << family.repeated(42) + ellipsis;
    QTest::newRow("42 emoji unchanged") << QStringList{QStringLiteral("user:") + family.repeated(42)}
                                        << family.repeated(42);
    QTest::newRow("combining marks count once")
        << QStringList{QStringLiteral("user:") + accented.repeated(50)} << accented.repeated(42) + ellipsis;
    QTest::newRow("flags at the cut") << QStringList{QStringLiteral("user:") + QString(41, QLatin1Char('a')) + flag
                                                     + flag}
                                      << QString(41, QLatin1Char('a')) + flag + ellipsis;
}

void TestHistoryFormat::makesTitles()
{
    QFETCH(QStringList, messages);
    QFETCH(QString, title);
    QList<StoredMessage> stored;
    for (const QString &message : messages) {
        const qsizetype colon = message.indexOf(QLatin1Char(':'));
        stored.append(StoredMessage(message.left(colon), message.mid(colon + 1)));
    }
    QCOMPARE(Conversation::makeTitle(stored), title);
}

void TestHistoryFormat::wordsRelativeDates_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("text");
    QTest::newRow("same moment") << 0LL << 0 << QStringLiteral("now");
    QTest::newRow("minutes ago") << -300LL << 0 << QStringLiteral("5 min. ago");
    QTest::newRow("minutes ahead") << 300LL << 0 << QStringLiteral("in 5 min.");
    QTest::newRow("hours ago") << -7300LL << 0 << QStringLiteral("2 hr. ago");
    QTest::newRow("yesterday") << 0LL << -1 << QStringLiteral("yesterday");
    QTest::newRow("days ago") << 0LL << -3 << QStringLiteral("3 days ago");
    QTest::newRow("days ahead") << 0LL << 2 << QStringLiteral("in 2 days");
    QTest::newRow("last week") << 0LL << -10 << QStringLiteral("last week");
    QTest::newRow("weeks ago") << 0LL << -20 << QStringLiteral("2 wk. ago");
    QTest::newRow("months ago") << 0LL << -95 << QStringLiteral("3 mo. ago");
    QTest::newRow("years ago") << 0LL << -800 << QStringLiteral("2 yr. ago");
}

void TestHistoryFormat::wordsRelativeDates()
{
    QFETCH(qint64, seconds);
    QFETCH(int, days);
    QFETCH(QString, text);
    const QDateTime now(QDate(2026, 6, 15), QTime(12, 0));
    QCOMPARE(relativeDateText(now.addDays(days).addSecs(seconds), now), text);
}

QTEST_GUILESS_MAIN(TestHistoryFormat)
#include "tst_historyformat.moc"
