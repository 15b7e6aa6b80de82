// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the answer reading path: line-rule throughput against a plain
// newline split, and the delay from a server's write to LLMStream::fragment.
#include "LoopbackListener.h"

#include "llm/AnswerReader.h"
#include "llm/LLMClient.h"
#include "llm/LLMStream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

constexpr qsizetype kStreamBytes = 50 * 1000 * 1000;
constexpr qsizetype kReadSize = 16 * 1024;
constexpr int kLatencyEvents = 1000;

// A recorded-looking answer: events of varied length with multi-byte text.
QByteArray recordedStream(LLMProvider provider, qsizetype size, qsizetype *events)
{
    const QByteArray words[] = {"The ",  "quick ", "brown ", "fox\\n",  "über ",     "naïve ",
                                "café ", "→ ",     "🎉 ",     "`code` ", "**bold** ", "\\\"quoted\\\" "};
    QByteArray stream;
    stream.reserve(size + 1024);
    *events = 0;
    for (qsizetype i = 0; stream.size() < size; ++i) {
        QByteArray text;
        for (qsizetype w = 0; w < 4 + i % 13; ++w)
            text += words[(i * 7 + w) % std::size(words)];
        if (provider == LLMProvider::Gemini) {
            stream += R"(data: {"candidates": [{"content": {"parts": [{"text": ")" + text
                + R"("}],"role": "model"},"index": 0}],"usageMetadata": {"promptTokenCount": 9,)"
                  R"("totalTokenCount": 120},"modelVersion": "gemini-3-flash-preview"})"
                  "\r\n\r\n";
        } else {
            if (i % 10 == 0)
                stream += ": OPENROUTER PROCESSING\n\n";
            stream += R"(data: {"id":"gen-1","provider":"OpenAI","model":"openai/o3-mini","object":)"
                      R"("chat.completion.chunk","created":1760000000,"choices":[{"index":0,"delta":)"
                      R"({"role":"assistant","content":")"
                + text
                + R"("},"finish_reason":null}]})"
                  "\n\n";
        }
        ++*events;
    }
    return stream;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void throughput(LLMProvider provider)
{
    qsizetype events = 0;
    const QByteArray stream = recordedStream(provider, kStreamBytes, &events);
    const double megabytes = stream.size() / 1e6;

    auto start = Clock::now();
    qsizetype plainLines = 0;
    for (qsizetype offset = 0; offset < stream.size(); offset += kReadSize) {
        const char *p = stream.constData() + offset;
        const char *end = p + std::min(kReadSize, stream.size() - offset);
        while ((p = static_cast<const char *>(std::memchr(p, '\n', end - p)))) {
            ++plainLines;
            ++p;
        }
    }
    const double plain = seconds(Clock::now() - start);

    start = Clock::now();
    SseLineSplitter splitter;
    qsizetype lines = 0;
    for (qsizetype offset = 0; offset < stream.size(); offset += kReadSize)
        lines +=
            splitter.feed(QByteArrayView(stream).sliced(offset, std::min(kReadSize, stream.size() - offset))).size();
    const double split = seconds(Clock::now() - start);

    start = Clock::now();
    AnswerReader reader(provider);
    qsizetype fragments = 0;
    for (qsizetype offset = 0; offset < stream.size(); offset += kReadSize)
        fragments += reader.feed(QByteArrayView(stream).sliced(offset, std::min(kReadSize, stream.size() - offset)))
                         .fragments.size();
    const double rules = seconds(Clock::now() - start);

    std::printf("%s, %.1f MB, %lld events (%lld fragments, %lld lines)\n", qPrintable(rawValue(provider)), megabytes,
                qlonglong(events), qlonglong(fragments), qlonglong(lines));
    std::printf("  plain newline split    %9.1f MB/s  (%lld lines)\n", megabytes / plain, qlonglong(plainLines));
    std::printf("  line splitter (UTF-8)  %9.1f MB/s  %11.0f lines/s\n", megabytes / split, lines / split);
    std::printf("  splitter + line rules  %9.1f MB/s  %11.0f events/s\n", megabytes / rules, events / rules);
    std::printf("  rules vs plain split   %9.1fx slower\n", rules / plain);
}

// The server side of the latency run: one connection, one chunk per event,
// each stamped just before it is written.
void serveEvents(int listener, std::array<std::atomic<qint64>, kLatencyEvents> *writtenAt)
{
    const int client = ::accept(listener, nullptr, nullptr);
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    QByteArray request;
    char buffer[4096];
    for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
        request.append(buffer, n);
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        const qsizetype at = request.toLower().indexOf("content-length:");
        if (headerEnd < 0 || at < 0)
            continue;
        const qsizetype length = request.mid(at + 15, request.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
        if (request.size() >= headerEnd + 4 + length)
            break;
    }
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nTransfer-Encoding: chunked\r\n\r\n";
    ::write(client, head.constData(), head.size());
    for (int i = 0; i < kLatencyEvents; ++i) {
        // The last event says the answer is complete, as a real provider does.
        const QByteArray finish = i == kLatencyEvents - 1 ? ",\"finishReason\":\"STOP\"" : "";
        const QByteArray event = "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"" + QByteArray::number(i)
            + "\"}],\"role\":\"model\"}" + finish + "}]}\r\n\r\n";
        const QByteArray chunk = QByteArray::number(event.size(), 16) + "\r\n" + event + "\r\n";
        (*writtenAt)[i].store(Clock::now().time_since_epoch().count(), std::memory_order_release);
        ::write(client, chunk.constData(), chunk.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::write(client, "0\r\n\r\n", 5);
    ::close(client);
}

void latency()
{
    quint16 port = 0;
    const int listener = listenOnLoopback(1, port);
    qputenv("TARNWICK_GEMINI_BASE_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(port));

    static std::array<std::atomic<qint64>, kLatencyEvents> writtenAt;
    std::thread server(serveEvents, listener, &writtenAt);
    std::vector<double> delays;
    LLMStream *stream = LLMClient(LLMProvider::Gemini, QStringLiteral("k"), QStringLiteral("m"))
                            .stream({}, QStringLiteral("hi"), std::nullopt);
    QObject::connect(stream, &LLMStream::fragment, [&](const QString &text) {
        const qint64 now = Clock::now().time_since_epoch().count();
        const qint64 then = writtenAt[text.toInt()].load(std::memory_order_acquire);
        delays.push_back((now - then) / 1e6);
    });
    QObject::connect(stream, &LLMStream::finished, qApp, &QCoreApplication::quit);
    QObject::connect(stream, &LLMStream::failed, qApp, [](const LLMError &error) {
        std::printf("latency run failed: %s\n", qPrintable(error.errorDescription()));
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    server.join();
    ::close(listener);
    delete stream;

    std::sort(delays.begin(), delays.end());
    if (delays.empty())
        return;
    std::printf("Latency, server write to LLMStream::fragment, %zu events over loopback:\n", delays.size());
    std::printf("  median %.3f ms, p99 %.3f ms, max %.3f ms\n", delays[delays.size() / 2],
                delays[std::min(delays.size() - 1, delays.size() * 99 / 100)], delays.back());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    throughput(LLMProvider::Gemini);
    throughput(LLMProvider::OpenRouter);
    latency();
    return 0;
}
