// SPDX-License-Identifier: GPL-3.0-or-later
// Presets without a window: filling templates, reading "/name" off a prompt,
// and the presets file, also when it is damaged or from a newer version.
#include "presets/PresetInvocation.h"
#include "presets/PresetStore.h"
#include "presets/PresetTemplate.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillsTemplates_data()
    {
        QTest::addColumn<QString>("promptTemplate");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("filled");
        QTest::newRow("every placeholder") << "{input}|{selection}|{clipboard}|{date}"
                                           << "in"
                                           << "sel"
                                           << "clip"
                                           << "in|sel|clip|2026-03-04";
        QTest::newRow("missing values are empty") << "A{selection}B{clipboard}C"
                                                  << ""
                                                  << ""
                                                  << ""
                                                  << "ABC";
        QTest::newRow("braces that are no placeholders") << "{name} {} { input } {{input}} {input"
                                                         << "x"
                                                         << ""
                                                         << ""
                                                         << "{name} {} { input } {x} {input";
        QTest::newRow("typed text holding a placeholder") << "Say {input} to {selection}"
                                                          << "{selection}"
                                                          << "S"
                                                          << ""
                                                          << "Say {selection} to S";
        QTest::newRow("no {input}: typed text after a blank line") << "Explain:\n{selection}\n"
                                                                   << "briefly"
                                                                   << "code"
                                                                   << ""
                                                                   << "Explain:\ncode\n\nbriefly";
        QTest::newRow("no {input} and nothing typed") << "Explain {selection}"
                                                      << ""
                                                      << "code"
                                                      << ""
                                                      << "Explain code";
        QTest::newRow("empty template") << ""
                                        << "hello {date}"
                                        << ""
                                        << ""
                                        << "hello {date}";
        QTest::newRow("only empty values, typed text alone") << "{clipboard}"
                                                             << "x"
                                                             << ""
                                                             << ""
                                                             << "x";
    }

    void fillsTemplates()
    {
        QFETCH(QString, promptTemplate);
        QFETCH(QString, input);
        QFETCH(QString, selection);
        QFETCH(QString, clipboard);
        QFETCH(QString, filled);
        QCOMPARE(PresetTemplate::fill(promptTemplate, {input, selection, clipboard, QDate(2026, 3, 4)}), filled);
    }

    void readsInvocations_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name"); // empty: not an invocation
        QTest::addColumn<QString>("input");
        QTest::newRow("name and text") << "  /fix  some text "
                                       << "fix"
                                       << "some text";
        QTest::newRow("name alone") << "/sum-up_2"
                                    << "sum-up_2"
                                    << "";
        QTest::newRow("text on the next line") << "/tr\nline two"
                                               << "tr"
                                               << "line two";
        QTest::newRow("a path") << "/usr/bin/ls is what?"
                                << ""
                                << "";
        QTest::newRow("a slash alone") << "/ hello"
                                       << ""
                                       << "";
        QTest::newRow("slash later") << "see /fix"
                                     << ""
                                     << "";
    }

    void readsInvocations()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, input);
        const std::optional<PresetInvocation> invocation = PresetInvocation::parse(typed);
        QCOMPARE(invocation.has_value(), !name.isEmpty());
        if (invocation) {
            QCOMPARE(invocation->name, name);
            QCOMPARE(invocation->input, input);
        }
    }

    // Nothing to work on: the selection or clipboard the template waits for is empty, and nothing was typed.
    void knowsWhenThereIsNothingToWorkOn()
    {
        QVERIFY(PresetTemplate::lacksMaterial(QStringLiteral("Fix {selection}"), {}));
        QVERIFY(
            PresetTemplate::lacksMaterial(QStringLiteral("{selection}{clipboard}"), {QStringLiteral(" "), {}, {}, {}}));
        QVERIFY(!PresetTemplate::lacksMaterial(QStringLiteral("{selection}{clipboard}"),
                                               {{}, {}, QStringLiteral("c"), {}}));
        QVERIFY(
            !PresetTemplate::lacksMaterial(QStringLiteral("Fix {selection}"), {QStringLiteral("typed"), {}, {}, {}}));
        QVERIFY(!PresetTemplate::lacksMaterial(QStringLiteral("A joke for {date}"), {}));
    }

    // Without a file the examples are offered; the first change writes them
    // all with it, and another process's change is seen.
    void examplesUntilTheFirstChange()
    {
        IsolatedHome home;
        const QString path = home.configHome() + QStringLiteral("/Tarnwick/presets.json");
        PresetStore store(path);
        QCOMPARE(store.names(), (QStringList{"fix", "explain", "translate", "summarize"}));
        QVERIFY(!QFile::exists(path));

        QVERIFY(store.remove(QStringLiteral("explain")));
        QVERIFY(!store.remove(QStringLiteral("explain")));
        const Preset mine{QStringLiteral("mine"),
                          QStringLiteral("Be brief."),
                          {},
                          QStringLiteral("OpenRouter"),
                          QStringLiteral("a/b")};
        QVERIFY(store.put(mine));
        QVERIFY(!store.put({QStringLiteral("mine"), QStringLiteral("x"), {}, {}, {}}, QStringLiteral("fix")));
        QVERIFY(!store.put({QStringLiteral("has space"), QStringLiteral("x"), {}, {}, {}}));
        QVERIFY(store.put({QStringLiteral("fixed"), QStringLiteral("x"), {}, {}, {}}, QStringLiteral("fix")));
        QCOMPARE(QFile(path).permissions() & 0x0077, QFileDevice::Permissions());

        PresetStore other(path);
        QCOMPARE(other.names(), (QStringList{"fixed", "translate", "summarize", "mine"}));
        QCOMPARE(other.find(QStringLiteral("mine")), std::optional(mine));
        // Optional members are written only when they hold something.
        QVERIFY(!readAll(path).contains("\"model\": \"\""));

        QVERIFY(other.remove(QStringLiteral("mine")));
        QSignalSpy changed(&store, &PresetStore::changed);
        QTest::qWait(1100); // a file time of its own
        QVERIFY(other.put({QStringLiteral("late"), QStringLiteral("x"), {}, {}, {}}));
        store.refresh();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(store.names(), other.names());
    }

    void damagedFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not JSON") << QByteArray("{\"version\":1,\"presets\":[");
        QTest::newRow("not a presets file") << QByteArray("[1,2]");
        QTest::newRow("a preset with a bad name") << QByteArray(R"({"version":1,"presets":[{"name":"a b"}]})");
        QTest::newRow("instructions not text")
            << QByteArray(R"({"version":1,"presets":[{"name":"a","instructions":3}]})");
    }

    void damagedFileIsSetAside()
    {
        QFETCH(QByteArray, bytes);
        IsolatedHome home;
        const QString path = home.configHome() + QStringLiteral("/Tarnwick/presets.json");
        writeAll(path, bytes);
        PresetStore store(path);
        const QStringList aside =
            QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("presets.json.damaged-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readAll(QFileInfo(path).absolutePath() + QLatin1Char('/') + aside.first()), bytes);
        QVERIFY(store.notice().contains(aside.first()));
        QCOMPARE(store.presets(), Preset::examples());
        QVERIFY(store.put({QStringLiteral("new"), QStringLiteral("x"), {}, {}, {}}));
        QVERIFY(PresetStore(path).find(QStringLiteral("new")));
    }

    // A newer version's file is read as far as it can be, and never written over.
    void newerFileIsLeftAlone()
    {
        IsolatedHome home;
        const QString path = home.configHome() + QStringLiteral("/Tarnwick/presets.json");
        const QByteArray bytes = R"({"version":2,"presets":[{"name":"kept","instructions":"Hi","colour":"red"},)"
                                 R"({"name":"later","instructions":{"parts":[]}}]})";
        writeAll(path, bytes);
        PresetStore store(path);
        QCOMPARE(store.names(), QStringList{"kept"});
        QVERIFY(store.notice().contains(QStringLiteral("newer version")));
        const Result<> refused = store.put({QStringLiteral("new"), QStringLiteral("x"), {}, {}, {}});
        QVERIFY(!refused);
        QVERIFY(!store.remove(QStringLiteral("kept")));
        QCOMPARE(readAll(path), bytes);
    }
};

QTEST_GUILESS_MAIN(TestPresets)
#include "tst_presets.moc"
