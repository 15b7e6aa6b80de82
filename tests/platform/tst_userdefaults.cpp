// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestUserDefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typesSurviveARestart()
    {
        IsolatedHome home;
        {
            UserDefaults defaults(home.preferencesFile());
            QVERIFY(defaults.set(Preferences::selectedProvider, QStringLiteral("OpenRouter")));
            QVERIFY(defaults.set(Preferences::cachedOpenRouterModels, QStringList{"a/x", "b/y"}));
            QVERIFY(defaults.set(Preferences::hotkeyBinding,
                                 QVariantMap{{Preferences::keyCodeEntry, 49}, {Preferences::modifiersEntry, 256}}));
            QVERIFY(defaults.set(QStringLiteral("count"), qint64(4294967296LL)));
        }
        UserDefaults reread(home.preferencesFile());
        QCOMPARE(reread.string(Preferences::selectedProvider), QStringLiteral("OpenRouter"));
        QCOMPARE(reread.stringList(Preferences::cachedOpenRouterModels), (QStringList{"a/x", "b/y"}));
        const QVariantMap binding = reread.dictionary(Preferences::hotkeyBinding);
        QCOMPARE(binding.value(Preferences::keyCodeEntry).typeId(), QMetaType::LongLong);
        QCOMPARE(binding.value(Preferences::modifiersEntry).toLongLong(), 256);
        QCOMPARE(reread.integer(QStringLiteral("count")), 4294967296LL);
        QVERIFY(!reread.contains(Preferences::appTheme));
        QVERIFY(!reread.string(Preferences::appTheme));
    }

    void integersAreNotTexts()
    {
        IsolatedHome home;
        UserDefaults defaults(home.preferencesFile());
        defaults.set(QStringLiteral("text"), QStringLiteral("49"));
        defaults.set(QStringLiteral("fraction"), 49.5);
        defaults.set(QStringLiteral("list"), QStringList{"x"});
        QVERIFY(!defaults.integer(QStringLiteral("text")));
        QVERIFY(!defaults.integer(QStringLiteral("fraction")));
        QVERIFY(!defaults.string(QStringLiteral("list")));
        QVERIFY(defaults.stringList(QStringLiteral("text")).isEmpty());
        QVERIFY(defaults.dictionary(QStringLiteral("list")).isEmpty());

        // A text preference reads its fallback for anything but one of its texts.
        const TextPreference theme{QStringLiteral("list"), QStringLiteral("System"), {"System", "Dark"}};
        QCOMPARE(defaults.text(theme), QStringLiteral("System"));
        defaults.set(theme, QStringLiteral("dark"));
        QCOMPARE(defaults.text(theme), QStringLiteral("System"));
        defaults.set(theme, QStringLiteral("Dark"));
        QCOMPARE(defaults.text(theme), QStringLiteral("Dark"));
        const TextPreference anyText{"text", "none"};
        QCOMPARE(defaults.text(anyText), QStringLiteral("49"));
        QCOMPARE(defaults.text(TextPreference{"fraction", "none"}), QStringLiteral("none"));
    }

    void writesAtomicallyWithPrivatePermissions()
    {
        IsolatedHome home;
        UserDefaults defaults(home.preferencesFile());
        QVERIFY(!QFile::exists(home.preferencesFile()));
        defaults.set(Preferences::appTheme, QStringLiteral("Dark"));
        QCOMPARE(QFile::permissions(home.preferencesFile()) & 0x0077, QFileDevice::Permissions());
        QCOMPARE(QFile::permissions(home.configHome() + QStringLiteral("/Tarnwick")) & 0x0077,
                 QFileDevice::Permissions());
        QDir dir(home.configHome() + QStringLiteral("/Tarnwick"));
        QCOMPARE(dir.entryList(QDir::Files), QStringList{"preferences.json"});
    }

    void corruptFileIsSetAsideNotOverwritten()
    {
        IsolatedHome home;
        QDir().mkpath(home.configHome() + QStringLiteral("/Tarnwick"));
        QFile broken(home.preferencesFile());
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{\"selectedProvider\": \"Open");
        broken.close();

        UserDefaults defaults(home.preferencesFile());
        QVERIFY(!defaults.contains(Preferences::selectedProvider));
        defaults.set(Preferences::appTheme, QStringLiteral("Light"));

        QDir dir(home.configHome() + QStringLiteral("/Tarnwick"));
        const QStringList aside = dir.entryList({"preferences.json.corrupt-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile kept(dir.filePath(aside.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("{\"selectedProvider\": \"Open"));
    }

    void changeSignalFiresPerKey()
    {
        IsolatedHome home;
        UserDefaults defaults(home.preferencesFile());
        QSignalSpy spy(&defaults, &UserDefaults::changed);
        defaults.set(Preferences::appTheme, QStringLiteral("Dark"));
        defaults.set(Preferences::appTheme, QStringLiteral("Dark"));
        defaults.remove(Preferences::appTheme);
        defaults.remove(Preferences::appTheme);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), Preferences::appTheme);
    }

    void seesWritesOfAnotherInstance()
    {
        IsolatedHome home;
        UserDefaults first(home.preferencesFile());
        first.set(Preferences::appTheme, QStringLiteral("Dark"));
        UserDefaults second(home.preferencesFile());
        QSignalSpy spy(&first, &UserDefaults::changed);
        QTest::qWait(20); // a later modification time than the first write
        second.set(Preferences::cachedOpenRouterModels, QStringList{"z/z"});
        QCOMPARE(first.stringList(Preferences::cachedOpenRouterModels), QStringList{"z/z"});
        QCOMPARE(first.string(Preferences::appTheme), QStringLiteral("Dark"));
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUserDefaults)
#include "tst_userdefaults.moc"
