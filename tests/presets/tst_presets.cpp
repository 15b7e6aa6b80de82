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
        for (const char *column : {"promptTemplate", "input", "selection", "clipboard", "filled"})
            QTest::addColumn<QString>(column);
        // Row name, template, typed input, selection, clipboard, filled template.
        const char *const rows[][6] = {
            {"every placeholder", "{input}|{selection}|{clipboard}|{date}", "in", "sel", "clip",
             "in|sel|clip|2026-03-04"},
            {"missing values are empty", "A{selection}B{clipboard}C", "", "", "", "ABC"},
            {"braces that are no placeholders", "{name} {} { input } {{input}} {input", "x", "", "",
             "{name} {} { input } {x} {input"},
            {"typed text holding a placeholder", "Say {input} to {selection}", "{selection}", "S", "",
             "Say {selection} to S"},
            {"no {input}: typed text after a blank line", "Explain:\n{selection}\n", "briefly", "code", "",
             "Explain:\ncode\n\nbriefly"},
            {"no {input} and nothing typed", "Explain {selection}", "", "code", "", "Explain code"},
            {"empty template", "", "hello {date}", "", "", "hello {date}"},
            {"only empty values, typed text alone", "{clipboard}", "x", "", "", "x"},
        };
        for (const auto &row : rows) {
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]) << QString::fromUtf8(row[3])
                                  << QString::fromUtf8(row[4]) << QString::fromUtf8(row[5]);
        }
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
        for (const char *column : {"typed", "name", "input"})
            QTest::addColumn<QString>(column);
        // Row name, typed prompt, preset name (empty: not an invocation), its input.
        const char *const rows[][4] = {
            {"name and text", "  /fix  some text ", "fix", "some text"},
            {"name alone", "/sum-up_2", "sum-up_2", ""},
            {"text on the next line", "/tr\nline two", "tr", "line two"},
            {"a path", "/usr/bin/ls is what?", "", ""},
            {"a slash alone", "/ hello", "", ""},
            {"slash later", "see /fix", "", ""},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2])
                                  << QString::fromUtf8(row[3]);
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
