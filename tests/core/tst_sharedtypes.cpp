#include "core/AppTheme.h"
#include "core/ChatMessage.h"
#include "llm/LLMProvider.h"
#include "llm/LLMTurn.h"
#include "platform/Preferences.h"

#include <QTest>

class TestSharedTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chatMessageDefaultsAndIdentity();
    void chatMessageEqualityCoversEveryField();
    void rawValuesMatchExactly_data();
    void rawValuesMatchExactly();
    void turnDefaults();
};

void TestSharedTypes::chatMessageDefaultsAndIdentity()
{
    const ChatMessage a(ChatMessage::Role::User, QStringLiteral("hi"));
    const ChatMessage b(ChatMessage::Role::User, QStringLiteral("hi"));
    QVERIFY(!a.imageData);
    QCOMPARE(a.imageMIME, QStringLiteral("image/png"));
    QVERIFY(!a.isStreaming);
    QVERIFY(!a.id.isNull());
    QVERIFY(a.id != b.id);
    QVERIFY(!(a == b)); // same text, different messages
}

void TestSharedTypes::chatMessageEqualityCoversEveryField()
{
    const ChatMessage base(ChatMessage::Role::Assistant, QStringLiteral("x"), QByteArray("png"),
                           QStringLiteral("image/png"), true);
    QVERIFY(base == base);
    ChatMessage other = base;
    other.content += QLatin1Char('y');
    QVERIFY(!(other == base));
    other = base;
    other.imageData = QByteArray();
    QVERIFY(!(other == base)); // empty bytes are not absent bytes
    other = base;
    other.imageMIME = QStringLiteral("image/jpeg");
    QVERIFY(!(other == base));
    other = base;
    other.isStreaming = false;
    QVERIFY(!(other == base));
    other = base;
    other.role = ChatMessage::Role::User;
    QVERIFY(!(other == base));
}

void TestSharedTypes::rawValuesMatchExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isProvider");
    QTest::addColumn<bool>("isTheme");
    QTest::newRow("Gemini") << QStringLiteral("Gemini") << true << false;
    QTest::newRow("OpenRouter") << QStringLiteral("OpenRouter") << true << false;
    QTest::newRow("Local") << QStringLiteral("Local") << true << false;
    QTest::newRow("lower-case gemini") << QStringLiteral("gemini") << false << false;
    QTest::newRow("Dark") << QStringLiteral("Dark") << false << true;
    QTest::newRow("lower-case dark") << QStringLiteral("dark") << false << false;
    QTest::newRow("empty") << QString() << false << false;
}

void TestSharedTypes::rawValuesMatchExactly()
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
    QCOMPARE(allLLMProviders(), (QList<LLMProvider>{LLMProvider::Gemini, LLMProvider::OpenRouter, LLMProvider::Local}));
    QCOMPARE(allAppThemes(), (QList<AppTheme>{AppTheme::System, AppTheme::Light, AppTheme::Dark}));
    // The preferences accept exactly the texts the choices read back.
    QCOMPARE(Preferences::selectedProvider.choices.contains(text), isProvider);
    QCOMPARE(Preferences::appTheme.choices.contains(text), isTheme);
    QCOMPARE(Preferences::selectedProvider.choices.size(), allLLMProviders().size());
    QCOMPARE(Preferences::appTheme.choices.size(), allAppThemes().size());
}

void TestSharedTypes::turnDefaults()
{
    const LLMTurn turn{QStringLiteral("user"), QStringLiteral("hello")};
    QVERIFY(!turn.imageData);
    QCOMPARE(turn.imageMIME, QStringLiteral("image/png"));
}

QTEST_GUILESS_MAIN(TestSharedTypes)
#include "tst_sharedtypes.moc"
