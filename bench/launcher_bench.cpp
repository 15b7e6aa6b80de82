// Streaming and opening costs of the launcher's conversation view, on the main
// thread: per-fragment time for a long answer with a large code block, the
// time to open a long conversation, and resident memory with it open.
// launcher_bench [stream|open]

#include "store/Conversation.h"
#include "store/ConversationStore.h"
#include "launcher/LauncherView.h"
#include "core/LauncherViewModel.h"
#include "launcher/MessageListView.h"
#include "platform/UserDefaults.h"
#include "support/IsolatedHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
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
        QStringLiteral("the"),       QStringLiteral("stream"),   QStringLiteral("**bold**"), QStringLiteral("value"),
        QStringLiteral("`index`"),   QStringLiteral("returns"),  QStringLiteral("*soft*"),   QStringLiteral("layout"),
        QStringLiteral("of"),        QStringLiteral("answer"),   QStringLiteral("fragment"), QStringLiteral("with"),
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

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, size_t(p * double(values.size()))));
}

void benchStreaming(LauncherView &view)
{
    const int fragments = 30000;
    const QString answer = longAnswer(90000, 2000);
    LauncherViewModel &vm = view.viewModel();
    vm.setMessages({ChatMessage(ChatMessage::Role::User, QStringLiteral("Write it all out")),
                    ChatMessage(ChatMessage::Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"),
                                true)});
    QApplication::processEvents();
    MessageListView *list = view.messageList();
    ChatMessage reply = vm.messages().last();
    QList<ChatMessage> messages = vm.messages();
    QUuid active = view.activeConversationID();

    // What the view does for each fragment the view model reports: the last
    // bubble follows the message and the conversation is saved.
    std::vector<double> costs;
    std::vector<double> viewCosts;
    costs.reserve(fragments);
    viewCosts.reserve(fragments);
    const qsizetype step = answer.size() / fragments;
    QElapsedTimer clock;
    for (int fragment = 0; fragment < fragments; ++fragment) {
        const qsizetype end = fragment == fragments - 1 ? answer.size() : (fragment + 1) * step;
        reply.content = answer.left(end);
        messages.last() = reply;
        clock.start();
        list->updateMessage(1, reply);
        viewCosts.push_back(double(clock.nsecsElapsed()) / 1e6);
        active = view.store().saveLauncherConversation(messages, active);
        costs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (fragment % 256 == 0)
            QApplication::processEvents(); // lets paints and the history writer run as they would
    }
    clock.start();
    view.repaint();
    const double paint = double(clock.nsecsElapsed()) / 1e6;
    std::printf("stream: %d fragments, %lld characters, 2000-line code block\n", fragments,
                static_cast<long long>(answer.size()));
    std::printf("  per fragment (ms): p50 %.3f  p99 %.3f  max %.3f\n", percentile(costs, 0.5),
                percentile(costs, 0.99), percentile(costs, 1.0));
    std::printf("  of which the bubble (ms): p50 %.3f  p99 %.3f\n", percentile(viewCosts, 0.5),
                percentile(viewCosts, 0.99));
    std::printf("  one full repaint at the end (ms): %.2f\n", paint);
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
    view.loadConversation(conversation);
    view.repaint(); // the first frame, with what is on screen
    const double firstFrame = double(clock.nsecsElapsed()) / 1e6;
    while (!view.messageList()->isFullyBuilt())
        QApplication::processEvents();
    const double allBuilt = double(clock.nsecsElapsed()) / 1e6;
    view.store().flush();
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
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(); // "stream", "open" or both
    {
        LauncherView view(defaults, home.path() + QStringLiteral("/conversations.json"));
        view.resize(700, 540);
        view.show();
        QApplication::processEvents();
        if (part != QLatin1String("open"))
            benchStreaming(view);
        view.store().flush();
    }
    if (part != QLatin1String("stream")) {
        LauncherView view(defaults, home.path() + QStringLiteral("/conversations-2.json"));
        view.resize(700, 540);
        view.show();
        QApplication::processEvents();
        benchOpening(view);
    }
    return 0;
}
