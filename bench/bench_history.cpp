// SPDX-License-Identifier: GPL-3.0-or-later
// The history at the size a heavy user reaches (1,000 conversations, about
// 100 MB), text-heavy and image-heavy: the tray program's start and resident
// memory idle and with the newest conversation open, the store's load time
// against reading and parsing the bytes, search latency per keystroke; then,
// on the image-heavy one, answer seconds lost at kill -9 and bytes written
// per answer. Needs scripts/test-session (Xvfb) for the tray program.
//   bench_history [--scale F] [--tries N] [--memory-only]
#include "SyntheticAnswer.h"
#include "SyntheticHistory.h"

#include "core/StoredChat.h"
#include "store/ConversationFile.h"
#include "store/ConversationStore.h"
#include "store/SearchIndex.h"
#include "support/TarnwickProcess.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <chrono>
#include <csignal>
#include <ctime>
#include <functional>
#include <thread>

namespace {

QTextStream out(stdout);

double millisSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

qint64 procValue(const char *file, const QByteArray &key)
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

double residentMib(qint64 pid)
{
    return double(procValue(QStringLiteral("/proc/%1/status").arg(pid).toLatin1().constData(), "VmRSS:")) / 1024.0;
}

double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Bytes handed to write(2) by this process so far.
qint64 bytesWrittenSoFar()
{
    return procValue("/proc/self/io", "wchar:");
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 120000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Fragment i of the streamed answer; the saved length tells how many arrived.
QString fragment(int i)
{
    return QStringLiteral("w%1 ").arg(i, 5, 10, QLatin1Char('0'));
}

// The tray program (the real binary) on a private X server with this history:
// start to launched (the history is loaded by then), idle memory, and memory
// with the newest conversation open (panel, Ctrl+F, Return).
void trayFigures(const QString &historyPath)
{
    XSession session;
    if (!session.problem().isEmpty()) {
        out << "Tray program: no X session (" << session.problem() << ")\n";
        return;
    }
    QList<double> starts;
    double idleMib = -1;
    double openMib = -1;
    for (int run = 0; run < 3; ++run) {
        TarnwickProcess tarnwick(session);
        const QString data = tarnwick.home() + QStringLiteral("/data/Tarnwick");
        QDir().mkpath(data);
        QFile::copy(historyPath, data + QStringLiteral("/conversations.json"));
        const double started = monotonicMs();
        tarnwick.start();
        if (!waitFor([&] { return tarnwick.timeOf(QStringLiteral("launched")) > 0; })) {
            out << "Tray program: did not start\n";
            return;
        }
        starts << tarnwick.timeOf(QStringLiteral("launched")) - started;
        if (run < 2)
            continue;
        settle(4000);
        idleMib = residentMib(tarnwick.pid());
        session.pressKeys(QStringLiteral("alt+space"));
        waitFor([&] { return tarnwick.count(QStringLiteral("launcher-exposed")) > 0; });
        settle(500);
        session.pressKeys(QStringLiteral("ctrl+f"));
        settle(1000);
        session.pressKeys(QStringLiteral("Return"));
        settle(4000);
        openMib = residentMib(tarnwick.pid());
    }
    out << "Tray program: start to launched (history loaded) " << percentile(starts, 0.5)
        << " ms (median of 3); resident memory idle " << idleMib << " MiB, newest conversation open " << openMib
        << " MiB (target 150)\n";
}

// Child: streams an answer into the history until killed.
int stream(int argc, char *argv[], const QString &path, int paceMs)
{
    QCoreApplication app(argc, argv);
    ConversationStore store(path);
    QList<ChatMessage> messages = {
        ChatMessage(ChatMessage::Role::User, QStringLiteral("Stream for the kill test")),
        ChatMessage(ChatMessage::Role::Assistant, QString(), {}, QStringLiteral("image/png"), true)};
    QUuid id;
    const auto start = std::chrono::steady_clock::now();
    out << "start " << QDateTime::currentMSecsSinceEpoch() << Qt::endl;
    for (int i = 0;; ++i) {
        messages.back().content += fragment(i);
        id = StoredChat::save(store, messages, id);
        QCoreApplication::processEvents();
        std::this_thread::sleep_until(start + std::chrono::milliseconds(paceMs) * (i + 1));
    }
}

struct KillResult
{
    bool whole = false;
    double lostSeconds = 0;
};

KillResult killOnce(const QString &program, const QString &path, int paceMs, QRandomGenerator &random)
{
    QProcess child;
    child.start(program, {QStringLiteral("--stream"), path, QString::number(paceMs)});
    child.waitForStarted();
    while (!child.canReadLine())
        child.waitForReadyRead(60000);
    const qint64 started = child.readLine().mid(6).trimmed().toLongLong();
    QThread::msleep(500 + random.bounded(4000));
    const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();

    KillResult result;
    ConversationStore store(path);
    result.whole = QFile::exists(path) && ConversationFile::read(path).status == ConversationFile::Status::Read;
    qsizetype saved = 0;
    for (const Conversation &listed : store.conversations()) {
        const Result<Conversation> whole = listed.whole();
        const Conversation &conversation = whole ? whole.value() : listed;
        if (conversation.title == QLatin1String("Stream for the kill test") && conversation.messages.size() == 2
            && conversation.date.toMSecsSinceEpoch() >= started - 1000) {
            saved = conversation.messages.at(1).content.size();
            break;
        }
    }
    const int arrived = int(saved / fragment(0).size());
    const qint64 lastSavedAt = started + qint64(arrived) * paceMs;
    result.lostSeconds = double(killedAt - lastSavedAt) / 1000.0;
    // Keep the history at its size for the next try.
    for (const Conversation &conversation : store.conversations()) {
        if (conversation.title == QLatin1String("Stream for the kill test"))
            store.deleteConversation(conversation.id);
    }
    return result;
}

// The store on this history: load against read + parse, and search per keystroke.
int storeFigures(const QString &path, double scale)
{
    QList<double> loads, rawParses;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
            if (!document.isArray())
                return 1;
        }
        rawParses << millisSince(timer);
        timer.start();
        ConversationStore store(path);
        loads << millisSince(timer);
        if (store.conversations().size() != int(1000 * scale))
            return 1;
    }
    out << "Load: " << percentile(loads, 0.5) << " ms, read + JSON parse of the same bytes "
        << percentile(rawParses, 0.5) << " ms (median of 3): " << percentile(loads, 0.5) / percentile(rawParses, 0.5)
        << "x\n";

    // Each keystroke of a query, as the sidebar's field sends them, until its hits arrive.
    ConversationStore store(path);
    SearchIndex index(store);
    QSignalSpy finished(&index, &SearchIndex::finished);
    QElapsedTimer timer;
    timer.start();
    index.search(QString());
    finished.wait(120000);
    const double warm = millisSince(timer);
    QList<double> keystrokes;
    int lastHits = 0;
    for (const QString &query : {QStringLiteral("Message 3 in conversation 42"), QStringLiteral("slash QUICKSORT"),
                                 QStringLiteral("wörds öf")}) {
        for (qsizetype n = 1; n <= query.size(); ++n) {
            finished.clear();
            timer.start();
            index.search(query.left(n));
            if (!finished.wait(60000))
                return 1;
            keystrokes << millisSince(timer);
            lastHits = int(finished.front().at(1).value<QList<ConversationSearch::Hit>>().size());
        }
    }
    out << "Search: texts folded in " << warm << " ms when the panel opens; per keystroke p50 "
        << percentile(keystrokes, 0.5) << " ms, p99 " << percentile(keystrokes, 0.99) << " ms, max "
        << percentile(keystrokes, 1.0) << " ms (" << keystrokes.size() << " keystrokes; last query " << lastHits
        << " hits)\n"
        << Qt::flush;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 4 && qstrcmp(argv[1], "--stream") == 0)
        return stream(argc, argv, QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());

    QCoreApplication app(argc, argv);
    const double scale = commandLineNumber(QStringLiteral("--scale"), 1.0);
    const int tries = int(commandLineNumber(QStringLiteral("--tries"), 20));
    const bool memoryOnly = app.arguments().contains(QStringLiteral("--memory-only"));

    QString path;
    for (const HistoryKind kind : {HistoryKind::Text, HistoryKind::Images}) {
        QTemporaryDir dir;
        path = writeSyntheticHistoryFile(dir.path(), scale, kind);
        trayFigures(path);
        if (!memoryOnly && storeFigures(path, scale) != 0)
            return 1;
        if (kind == HistoryKind::Images)
            dir.setAutoRemove(false);
    }
    if (memoryOnly)
        return 0;
    const QString keptFolder = QFileInfo(path).absolutePath();
    {
        // An answer at about 50 fragments a second for 20 s, then the flush at quit.
        const int fragments = 1000;
        const SyntheticAnswer answer = makeSyntheticAnswer(6000, fragments, 40);
        ConversationStore store(path);
        QList<ChatMessage> messages = {
            ChatMessage(ChatMessage::Role::User, QStringLiteral("Explain quicksort")),
            ChatMessage(ChatMessage::Role::Assistant, QString(), {}, QStringLiteral("image/png"), true)};
        QUuid id;
        QList<double> saves;
        const qint64 before = bytesWrittenSoFar();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < answer.fragments.size(); ++i) {
            messages.back().content += answer.fragments.at(i);
            QElapsedTimer timer;
            timer.start();
            id = StoredChat::save(store, messages, id);
            saves << millisSince(timer);
            QCoreApplication::processEvents();
            std::this_thread::sleep_until(start + std::chrono::milliseconds(20) * (i + 1));
        }
        const qint64 streamed = bytesWrittenSoFar() - before;
        store.flush();
        const qint64 flushed = bytesWrittenSoFar() - before - streamed;
        out << "Per-fragment save on the main thread: p50 " << percentile(saves, 0.5) * 1000 << " us, p99 "
            << percentile(saves, 0.99) * 1000 << " us\n";
        out << "Bytes written per answer (" << answer.text.size() << " characters in 20 s): " << streamed / 1e6
            << " MB while streaming, " << flushed / 1e6 << " MB at the flush that follows\n";
        store.deleteConversation(id);
    }

    QRandomGenerator random(42);
    QList<double> lost;
    int broken = 0;
    for (int i = 0; i < tries; ++i) {
        const KillResult result = killOnce(QCoreApplication::applicationFilePath(), path, 20, random);
        lost << result.lostSeconds;
        broken += result.whole ? 0 : 1;
    }
    out << "kill -9 while streaming, " << tries << " tries: answer seconds lost p50 " << percentile(lost, 0.5)
        << ", max " << percentile(lost, 1.0) << "; history file whole after " << tries - broken << " of " << tries
        << "\n";
    QDir(keptFolder).removeRecursively();
    return 0;
}
