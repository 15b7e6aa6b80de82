// SPDX-License-Identifier: GPL-3.0-or-later
// Streaming and opening costs of the launcher's conversation view, on the main
// thread: per-fragment time for answers of several shapes (a long answer with a
// large code block, one long list without blank lines, one paragraph without
// line breaks, lists and tables), the time to open a long conversation, and
// resident memory with it open.
// launcher_bench [stream|list|paragraph|tables|open] [SCALE]
// SCALE (default 1) shrinks the shapes, for builds too slow for their full size.

#include "store/Conversation.h"
#include "store/ConversationStore.h"
#include "core/LauncherSession.h"
#include "core/StoredChat.h"
#include "launcher/LauncherView.h"
#include "core/LauncherViewModel.h"
#include "launcher/MessageListView.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "support/IsolatedHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <ctime>
#include <cstdio>

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// About four characters a token, as model answers run.
QString proseParagraph(QRandomGenerator &random, int tokens)
{
    static const QStringList words = {
        QStringLiteral("the"),     QStringLiteral("stream"),  QStringLiteral("**bold**"), QStringLiteral("value"),
        QStringLiteral("`index`"), QStringLiteral("returns"), QStringLiteral("*soft*"),   QStringLiteral("layout"),
        QStringLiteral("of"),      QStringLiteral("answer"),  QStringLiteral("fragment"), QStringLiteral("with"),
    };
    QStringList out;
    for (int i = 0; i < tokens; ++i)
        out.append(words.at(random.bounded(int(words.size()))));
    return out.join(QLatin1Char(' '));
}

// Four characters a token: prose, the code block, more prose.
QString longAnswer(int totalTokens, int codeLines)
{
    QRandomGenerator random(7);
    QString code = QStringLiteral("```python\n");
    for (int line = 0; line < codeLines; ++line)
        code += QStringLiteral("def step_%1(x): return \"v\" + str(x * %1)  # note %1\n").arg(line);
    code += QStringLiteral("```\n\n");
    const qsizetype proseChars = qMax<qsizetype>(0, qsizetype(totalTokens) * 4 - code.size());
    QString text;
    while (text.size() < proseChars / 2)
        text += proseParagraph(random, 60) + QStringLiteral("\n\n");
    text += code;
    while (text.size() < proseChars + code.size())
        text += proseParagraph(random, 60) + QStringLiteral("\n\n");
    return text;
}

// The main thread's own CPU time in ms: on a shared machine wall time also counts other programs.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, size_t(p * double(values.size()))));
}

// `lines` list items with single line breaks, nested every few lines.
QString longList(int lines)
{
    QRandomGenerator random(3);
    QString text = QStringLiteral("Here are the steps:\n");
    for (int line = 0; line < lines; ++line) {
        text += line % 7 == 3 ? QStringLiteral("  - ") : QStringLiteral("- ");
        text += proseParagraph(random, 8) + QLatin1Char('\n');
    }
    return text;
}

// One paragraph of `chars` characters without a line break.
QString longParagraph(qsizetype chars)
{
    QRandomGenerator random(5);
    QString text;
    while (text.size() < chars)
        text += proseParagraph(random, 40) + QLatin1Char(' ');
    return text.left(chars);
}

// Headings, numbered and nested lists, task lists and tables, as long answers mix them.
QString listsAndTables(int totalTokens)
{
    QRandomGenerator random(9);
    QString text;
    for (int section = 0; text.size() < qsizetype(totalTokens) * 4; ++section) {
        text += QStringLiteral("## Part %1\n\n").arg(section);
        for (int item = 1; item <= 8; ++item) {
            text += QStringLiteral("%1. ").arg(item) + proseParagraph(random, 10) + QLatin1Char('\n');
            if (item % 3 == 0)
                text += QStringLiteral("   - [ ] ") + proseParagraph(random, 6) + QLatin1Char('\n');
        }
        text += QStringLiteral("\n| Name | Value | Note |\n|:--|--:|:-:|\n");
        for (int row = 0; row < 12; ++row)
            text += QStringLiteral("| `k%1` | %2 | ").arg(row).arg(row * 17) + proseParagraph(random, 5)
                + QStringLiteral(" |\n");
        text += QStringLiteral("\n> ") + proseParagraph(random, 20) + QStringLiteral("\n\n");
    }
    return text;
}

void benchStreaming(LauncherView &view, const char *shape, const QString &answer, int fragments)
{
    LauncherViewModel &vm = view.session().viewModel();
    vm.setMessages(
        {ChatMessage(ChatMessage::Role::User, QStringLiteral("Write it all out")),
         ChatMessage(ChatMessage::Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"), true)});
    QApplication::processEvents();
    MessageListView *list = view.messageList();
    ChatMessage reply = vm.messages().last();
    QList<ChatMessage> messages = vm.messages();
    QUuid active = view.session().activeConversationID();

    // What the view does for each fragment the view model reports: the last
    // bubble follows the message and the conversation is saved.
    std::vector<double> costs;
    std::vector<double> viewCosts;
    std::vector<double> cpuCosts;
    std::vector<double> cpuViewCosts;
    cpuViewCosts.reserve(fragments);
    costs.reserve(fragments);
    viewCosts.reserve(fragments);
    cpuCosts.reserve(fragments);
    const qsizetype step = answer.size() / fragments;
    QElapsedTimer clock;
    QElapsedTimer total;
    total.start();
    for (int fragment = 0; fragment < fragments; ++fragment) {
        const qsizetype end = fragment == fragments - 1 ? answer.size() : (fragment + 1) * step;
        reply.content = answer.left(end);
        messages.last() = reply;
        clock.start();
        const double cpuStart = threadCpuMs();
        list->updateMessage(1, reply);
        viewCosts.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuViewCosts.push_back(threadCpuMs() - cpuStart);
        active = StoredChat::save(view.session().store(), messages, active);
        costs.push_back(double(clock.nsecsElapsed()) / 1e6);
        cpuCosts.push_back(threadCpuMs() - cpuStart);
        if (fragment % 256 == 0)
            QApplication::processEvents(); // lets paints and the history writer run as they would
    }
    const double streamed = double(total.nsecsElapsed()) / 1e9;
    reply.isStreaming = false;
    list->updateMessage(1, reply);
    clock.start();
    view.repaint();
    const double paint = double(clock.nsecsElapsed()) / 1e6;
    std::printf("%s: %d fragments, %lld characters\n", shape, fragments, static_cast<long long>(answer.size()));
    std::printf("  per fragment (ms): p50 %.3f  p99 %.3f  max %.3f  (all fragments: %.1f s)\n", percentile(costs, 0.5),
                percentile(costs, 0.99), percentile(costs, 1.0), streamed);
    std::printf("  of which the bubble (ms): p50 %.3f  p99 %.3f\n", percentile(viewCosts, 0.5),
                percentile(viewCosts, 0.99));
    std::printf("  main-thread CPU per fragment (ms): p50 %.3f  p99 %.3f  max %.3f\n", percentile(cpuCosts, 0.5),
                percentile(cpuCosts, 0.99), percentile(cpuCosts, 1.0));
    std::printf("  of which the bubble (ms): p50 %.3f  p99 %.3f  max %.3f\n", percentile(cpuViewCosts, 0.5),
                percentile(cpuViewCosts, 0.99), percentile(cpuViewCosts, 1.0));
    // A cost that grows with the answer shows as a later quarter costing more.
    auto byQuarter = [](const char *what, const std::vector<double> &values) {
        std::printf("  %s by quarter of the answer (ms, p50/p99):", what);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const std::vector<double> part(values.begin() + qsizetype(values.size()) * quarter / 4,
                                           values.begin() + qsizetype(values.size()) * (quarter + 1) / 4);
            std::printf("  %.3f/%.3f", percentile(part, 0.5), percentile(part, 0.99));
        }
        std::printf("\n");
    };
    byQuarter("main-thread CPU per fragment", cpuCosts);
    byQuarter("of which the bubble", cpuViewCosts);
    std::printf("  one full repaint at the end (ms): %.2f\n", paint);
    std::fflush(stdout);
}

Conversation longConversation(int count)
{
    QRandomGenerator random(11);
    QList<StoredMessage> messages;
    for (int index = 0; index < count; ++index) {
        if (index % 2 == 0) {
            messages.append(StoredMessage(QStringLiteral("user"), proseParagraph(random, 25)));
            continue;
        }
        QString answer = proseParagraph(random, 80) + QStringLiteral("\n\n") + proseParagraph(random, 60);
        if (index % 6 == 1)
            answer += QStringLiteral("\n\n```js\nconst x = 1;\nfunction f(a) { return a * 2; } // twice\n```\n");
        messages.append(StoredMessage(QStringLiteral("assistant"), answer));
    }
    return Conversation(QStringLiteral("Long one"), QDateTime::currentDateTime(), messages);
}

void benchOpening(LauncherView &view)
{
    const Conversation conversation = longConversation(1000);
    const qint64 before = residentKiB();
    QElapsedTimer clock;
    clock.start();
    view.session().store().upsert(conversation);
    view.loadConversation(conversation.id);
    view.repaint(); // the first frame, with what is on screen
    const double firstFrame = double(clock.nsecsElapsed()) / 1e6;
    while (!view.messageList()->isFullyBuilt())
        QApplication::processEvents();
    const double allBuilt = double(clock.nsecsElapsed()) / 1e6;
    view.session().store().flush();
    std::printf("open: 1000 messages\n");
    std::printf("  to the first frame (ms): %.1f\n", firstFrame);
    std::printf("  until every bubble is built, in the background (ms): %.1f\n", allBuilt);
    std::printf("  resident memory with it open: %.1f MiB (%.1f MiB before opening)\n", residentKiB() / 1024.0,
                before / 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    IsolatedHome home;
    QApplication app(argc, argv);
    UserDefaults defaults(home.path() + QStringLiteral("/preferences.json"));
    PresetStore presets(home.presetsFile());
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(); // one shape, "open", or all
    const int scale = qMax(1, argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1);
    auto wanted = [&part](const char *name) { return part.isEmpty() || part == QLatin1String(name); };
    struct Shape
    {
        const char *name;
        QString answer;
        int fragments;
    };
    QList<Shape> shapes;
    // About 3 tokens, 12 characters, a fragment.
    if (wanted("stream"))
        shapes.append({"stream (2000-line code block)", longAnswer(90000 / scale, 2000 / scale), 30000 / scale});
    if (wanted("list"))
        shapes.append({"list (5000 lines, no blank line)", longList(5000 / scale), 20000 / scale});
    if (wanted("paragraph"))
        shapes.append({"paragraph (1 MB, no line break)", longParagraph(1000000 / scale), 80000 / scale});
    if (wanted("tables"))
        shapes.append({"lists and tables (90k tokens)", listsAndTables(90000 / scale), 30000 / scale});
    int index = 0;
    for (const Shape &shape : std::as_const(shapes)) {
        LauncherSession session(defaults, KeyStore::system(), presets,
                                home.path() + QStringLiteral("/conversations-%1.json").arg(index++));
        LauncherView view(session);
        view.resize(700, 540);
        view.show();
        QApplication::processEvents();
        benchStreaming(view, shape.name, shape.answer, shape.fragments);
        view.session().store().flush();
    }
    if (wanted("open")) {
        LauncherSession session(defaults, KeyStore::system(), presets,
                                home.path() + QStringLiteral("/conversations-open.json"));
        LauncherView view(session);
        view.resize(700, 540);
        view.show();
        QApplication::processEvents();
        benchOpening(view);
    }
    return 0;
}
