// SPDX-License-Identifier: GPL-3.0-or-later
// `tarnwick history` on a 100 MB history, text-heavy and image-heavy: the time
// and peak resident memory of list, search and export, beside reading and
// parsing the same file in one piece.
//   bench_history_command [--scale F] [--runs N]
#include "ChildRun.h"
#include "SyntheticHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Run from a fresh process of this program (--measure): a child's peak
// memory as the kernel counts it includes the parent's at the spawn.
ChildRun measure(const QStringList &arguments)
{
    QList<QByteArray> words{QByteArray(TARNWICK_BINARY), QByteArray("history")};
    for (const QString &argument : arguments)
        words.append(argument.toUtf8());
    return runChild(words, false);
}

ChildRun runHistory(const QStringList &arguments)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--measure")} + arguments);
    helper.waitForFinished(600000);
    const QList<QByteArray> fields = helper.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3)
        return {};
    return {fields.at(0).toDouble(), fields.at(1).toDouble(), fields.at(2).toInt()};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

void figures(HistoryKind kind, double scale, int runs)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/Tarnwick"));
    const QString path = writeSyntheticHistoryFile(home.path() + QStringLiteral("/Tarnwick"), scale, kind);

    QList<double> parses;
    QString newestId;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
        parses << clock.nsecsElapsed() / 1e6;
        newestId = document.array().last().toObject().value(QLatin1String("id")).toString();
    }
    const double parse = median(parses);
    std::printf("  read + JSON parse of the file in one piece   %8.0f ms\n", parse);

    const QList<std::pair<const char *, QStringList>> commands = {
        {"list", {}},
        {"search quicksort (many hits)", {QStringLiteral("search"), QStringLiteral("quicksort")}},
        {"search \"conversation 42\" (few)", {QStringLiteral("search"), QStringLiteral("conversation 42")}},
        {"search cafe (folded accents)", {QStringLiteral("search"), QStringLiteral("cafe")}},
        {"export newest --format json",
         {QStringLiteral("export"), newestId, QStringLiteral("--format"), QStringLiteral("json")}},
        {"show newest", {QStringLiteral("show"), newestId}},
    };
    for (const auto &[name, arguments] : commands) {
        QList<double> times;
        double peak = 0;
        int exitCode = 0;
        for (int i = 0; i < runs; ++i) {
            const ChildRun run = runHistory(arguments);
            times << run.seconds * 1e3;
            peak = std::max(peak, run.peakMib);
            exitCode = std::max(exitCode, run.exitCode);
        }
        const double ms = median(times);
        std::printf("  history %-34s %8.0f ms  (%4.2fx the parse)  peak %6.1f MiB%s\n", name, ms, ms / parse, peak,
                    exitCode ? "  FAILED" : "");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--measure")) {
        const ChildRun run = measure(app.arguments().mid(2));
        std::printf("%f %f %d\n", run.seconds, run.peakMib, run.exitCode);
        return 0;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double scale = commandLineNumber(QStringLiteral("--scale"), 1.0);
    const int runs = std::max(1, int(commandLineNumber(QStringLiteral("--runs"), 3)));
    for (const HistoryKind kind : {HistoryKind::Text, HistoryKind::Images})
        figures(kind, scale, runs);
    return 0;
}
