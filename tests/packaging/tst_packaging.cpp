// SPDX-License-Identifier: GPL-3.0-or-later
// The manual page, the changelog and the desktop files, checked against the
// program and each other so that none of them drifts.
#include "app/ProgramRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace {

const QString kSource = QStringLiteral(TARNWICK_SOURCE_DIR);

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Commands, options and fixed values; placeholders are written in capitals.
QSet<QString> literalWords(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s\\[\\]|,]+"));
    static const QRegularExpression literal(QStringLiteral("^-{0,2}[a-z][a-z-]*$"));
    QSet<QString> words;
    for (QString word : text.split(separators, Qt::SkipEmptyParts)) {
        while (word.endsWith(QLatin1Char('.')))
            word.chop(1);
        if (literal.match(word).hasMatch())
            words.insert(word);
    }
    return words;
}

// The usage lists each form as "  FORM  description", or the form alone with
// the description on the next, further indented line.
QSet<QString> usageWords(const QString &usage)
{
    QSet<QString> words;
    for (const QString &line : usage.split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        // A command's line, or the continuation of a long one ("[--usage]", "| remove NAME").
        const bool command = line.startsWith(QLatin1String("  ")) && line.size() > 2 && !line.at(2).isSpace();
        const bool continued = text.startsWith(QLatin1Char('[')) || text.startsWith(QLatin1Char('|'));
        if (command || continued)
            words += literalWords(text.section(QLatin1String("  "), 0, 0));
    }
    return words;
}

// A macro line's arguments, double quotes grouping words.
QStringList roffArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool started = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            started = true;
        } else if (c == QLatin1Char(' ') && !quoted) {
            if (started)
                arguments << current;
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments << current;
    return arguments;
}

// What the manual page sets in bold, in its synopsis and in the rest of it.
struct BoldWords
{
    QSet<QString> synopsis;
    QSet<QString> body;
};

BoldWords boldWords(const QString &manual)
{
    static const QRegularExpression inlineBold(QStringLiteral("\\\\fB(.*?)\\\\f[RIP]"));
    static const QRegularExpression boldMacro(QStringLiteral("^\\.(B|BR|BI|RB|IB)(?: (.*))?$"));
    BoldWords words;
    QString section;
    for (QString line : manual.split(QLatin1Char('\n'))) {
        line.replace(QLatin1String("\\-"), QLatin1String("-")).remove(QLatin1String("\\&"));
        if (line.startsWith(QLatin1String(".SH ")))
            section = line.mid(4);
        QStringList bold;
        for (auto it = inlineBold.globalMatch(line); it.hasNext();)
            bold << it.next().captured(1);
        if (const QRegularExpressionMatch macro = boldMacro.match(line); macro.hasMatch()) {
            const QString name = macro.captured(1);
            const QStringList arguments = roffArguments(macro.captured(2));
            // B: every argument; BR and BI: the odd ones; RB and IB: the even ones.
            const int first = name == QLatin1String("RB") || name == QLatin1String("IB") ? 1 : 0;
            const int step = name == QLatin1String("B") ? 1 : 2;
            for (int i = first; i < arguments.size(); i += step)
                bold << arguments.at(i);
        }
        (section == QLatin1String("SYNOPSIS") ? words.synopsis : words.body) += literalWords(bold.join(' '));
    }
    return words;
}

// True for no words; else names them, for the failure message that follows.
bool none(const QSet<QString> &words)
{
    QStringList list(words.cbegin(), words.cend());
    list.sort();
    if (!list.isEmpty())
        qWarning("%s", qPrintable(list.join(QLatin1Char(' '))));
    return list.isEmpty();
}

using Releases = QList<std::pair<QString, QString>>;

Releases changelogReleases(const QString &text)
{
    static const QRegularExpression heading(QStringLiteral("^## (\\S+) — (\\d{4}-\\d{2}-\\d{2})$"),
                                            QRegularExpression::MultilineOption);
    Releases releases;
    for (auto it = heading.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        releases.append({match.captured(1), match.captured(2)});
    }
    return releases;
}

Releases metainfoReleases(const QString &text)
{
    Releases releases;
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("release")) {
            releases.append({xml.attributes().value(QLatin1String("version")).toString(),
                             xml.attributes().value(QLatin1String("date")).toString()});
        }
    }
    return releases;
}

} // namespace

class PackagingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void manualPageAndUsageNameTheSameCommands()
    {
        const ProgramRun help = runProgram({"--help"});
        QCOMPARE(help.exitCode, 0);
        const QSet<QString> usage = usageWords(QString::fromUtf8(help.out));
        QVERIFY(usage.contains(QStringLiteral("ask")) && usage.contains(QStringLiteral("--toggle")));
        const QString manual = readText(kSource + QStringLiteral("/tarnwick.1"));
        QVERIFY(!manual.isEmpty());
        const BoldWords bold = boldWords(manual);

        QVERIFY2(none(usage - bold.synopsis), "in the usage text but not in the manual's synopsis");
        QVERIFY2(none(bold.synopsis - usage), "in the manual's synopsis but not in the usage text");
        QVERIFY2(none(bold.synopsis - bold.body), "in the manual's synopsis but described nowhere below it");
    }

    void changelogMetainfoAndManualPageNameTheSameReleases()
    {
        const Releases changelog = changelogReleases(readText(kSource + QStringLiteral("/CHANGELOG.md")));
        QVERIFY(!changelog.isEmpty());
        QCOMPARE(changelog.first().first, QStringLiteral(TARNWICK_PROJECT_VERSION));
        const QString metainfo = readText(kSource + QStringLiteral("/resources/com.tarnwick.Tarnwick.metainfo.xml"));
        QCOMPARE(metainfoReleases(metainfo), changelog);
        const QString manual = readText(kSource + QStringLiteral("/tarnwick.1"));
        QVERIFY2(manual.startsWith(QStringLiteral(".TH TARNWICK 1 "))
                     && manual.section(QLatin1Char('\n'), 0, 0)
                            .contains(QStringLiteral("\"Tarnwick %1\"").arg(changelog.first().first)),
                 qPrintable(manual.section(QLatin1Char('\n'), 0, 0)));
    }

    void validatorsAccept_data()
    {
        QTest::addColumn<QStringList>("command");
        // Where the tool reports warnings while still exiting 0; none where it says more.
        QTest::addColumn<int>("warningsChannel");
        const int none = -1;
        QTest::newRow("desktop file") << QStringList{QStringLiteral("desktop-file-validate"),
                                                     QStringLiteral(TARNWICK_DESKTOP_FILE)}
                                      << int(QProcess::StandardOutput);
        QTest::newRow("AppStream metainfo")
            << QStringList{QStringLiteral("appstreamcli"), QStringLiteral("validate"), QStringLiteral("--no-net"),
                           kSource + QStringLiteral("/resources/com.tarnwick.Tarnwick.metainfo.xml")}
            << none;
        QTest::newRow("manual page") << QStringList{QStringLiteral("man"), QStringLiteral("--warnings"),
                                                    QStringLiteral("-E"),  QStringLiteral("UTF-8"),
                                                    QStringLiteral("-l"),  QStringLiteral("-Tutf8"),
                                                    QStringLiteral("-Z"),  kSource + QStringLiteral("/tarnwick.1")}
                                     << int(QProcess::StandardError);
    }

    void validatorsAccept()
    {
        QFETCH(QStringList, command);
        QFETCH(int, warningsChannel);
        if (QStandardPaths::findExecutable(command.first()).isEmpty())
            QSKIP(qPrintable(command.first() + QStringLiteral(" is not installed (scripts/setup installs it)")));
        QProcess process;
        process.start(command.first(), command.mid(1));
        QVERIFY(process.waitForFinished(60000));
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, (out + err).constData());
        if (warningsChannel == QProcess::StandardOutput)
            QVERIFY2(out.trimmed().isEmpty(), out.constData());
        if (warningsChannel == QProcess::StandardError)
            QVERIFY2(err.trimmed().isEmpty(), err.constData());
    }
};

QTEST_GUILESS_MAIN(PackagingTest)
#include "tst_packaging.moc"
