// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a streamed answer into a large history. Compares the store (a
// journal line per change, whole writes on a worker when changes pause) with
// rewriting the whole file on the main thread at every fragment.
// bench_history gives load, memory, search and kill -9 figures.
//   bench_history_saving [--scale F] [--pace-us N]
// --scale shrinks the history (1 = 1,000 conversations, about 100 MB);
// --pace-us is the gap between fragments (default 1000 µs).
#include "BenchClock.h"
#include "SyntheticAnswer.h"
#include "SyntheticHistory.h"

#include "core/StoredChat.h"
#include "store/ConversationStore.h"
#include "store/HistoryWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <chrono>
#include <thread>

#include <time.h>

namespace {

QTextStream out(stdout);

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double scale = commandLineNumber(QStringLiteral("--scale"), 1.0);
    const auto pace = std::chrono::microseconds(qint64(commandLineNumber(QStringLiteral("--pace-us"), 1000)));

    QTemporaryDir dir;
    const QString path = writeSyntheticHistoryFile(dir.path(), scale);

    // Streaming an answer into the history.
    const SyntheticAnswer answer = makeSyntheticAnswer(90000, 30000, 2000);
    ConversationStore store(path);
    QList<ChatMessage> messages = {
        ChatMessage(ChatMessage::Role::User, QStringLiteral("Explain quicksort"), QByteArray(350'000, 'p')),
        ChatMessage(ChatMessage::Role::Assistant, QString(), {}, QStringLiteral("image/png"), true)};
    QUuid id;
    QList<double> saves, saveCpu;
    saves.reserve(answer.fragments.size());
    saveCpu.reserve(answer.fragments.size());
    QElapsedTimer streamTimer;
    streamTimer.start();
    auto next = std::chrono::steady_clock::now();
    for (const QString &fragment : answer.fragments) {
        messages.back().content += fragment;
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = threadCpuMillis();
        id = StoredChat::save(store, messages, id);
        saveCpu << threadCpuMillis() - cpuBefore;
        saves << millisSince(timer);
        next += pace;
        std::this_thread::sleep_until(next);
    }
    const double streamSeconds = millisSince(streamTimer) / 1000;
    QElapsedTimer flushTimer;
    flushTimer.start();
    store.flush();
    const double flushMillis = millisSince(flushTimer);
    const qint64 ourBytes = store.writer().bytesWritten();
    const int ourWrites = store.writer().writeCount();

    // The whole rewrite per fragment, sampled: every sample costs the same.
    QList<double> literal;
    const QList<Conversation> finalList = store.conversations();
    for (int sample = 0; sample < 8; ++sample) {
        QElapsedTimer timer;
        timer.start();
        writeHistoryFile(path + QStringLiteral(".literal"), finalList);
        literal << millisSince(timer);
    }
    const double literalWriteSeconds = percentile(literal, 0.5) / 1000;
    const qint64 finalSize = QFile(path).size();

    out << "Answer: " << answer.text.size() << " characters in " << answer.fragments.size()
        << " fragments, streamed in " << streamSeconds << " s\n";
    out << "Main-thread time per fragment spent saving: store p50 " << percentile(saves, 0.5) * 1000 << " us, p99 "
        << percentile(saves, 0.99) * 1000 << " us, max " << percentile(saves, 1.0) * 1000 << " us (thread CPU time p99 "
        << percentile(saveCpu, 0.99) * 1000 << " us, max " << percentile(saveCpu, 1.0) * 1000
        << " us); whole rewrite p50 " << percentile(literal, 0.5) << " ms, p99 " << percentile(literal, 0.99)
        << " ms (8 samples)\n";
    out << "Ratio whole rewrite / store: p50 " << percentile(literal, 0.5) / percentile(saves, 0.5) << "x, p99 "
        << percentile(literal, 0.99) / percentile(saves, 0.99) << "x\n";
    out << "Flush after the last fragment: " << flushMillis << " ms\n";
    out << "Bytes written for the answer: store " << ourBytes / 1e6 << " MB in " << ourWrites
        << " writes; whole rewrite " << double(finalSize) * answer.fragments.size() / 1e9 << " GB in "
        << answer.fragments.size() << " writes\n";
    // A real answer of this length takes about 15 minutes at 100 tokens a second.
    const double realSeconds = 900;
    const double gap = std::max(store.writer().interval().count() / 1000.0, literalWriteSeconds);
    out << "Writes are now spaced " << gap << " s apart; at 100 tokens/s (" << realSeconds
        << " s) the store would write about " << int(realSeconds / gap + 1) << " times, "
        << (realSeconds / gap + 1) * double(finalSize) / 1e9 << " GB\n";
    return 0;
}
