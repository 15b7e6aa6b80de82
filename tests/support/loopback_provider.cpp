// A stand-in for both providers on 127.0.0.1, for end-to-end and screen tests.
#include "support/LoopbackServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>

namespace {
const char *const kDescription =
    "Serves canned streaming answers the way Gemini, OpenRouter and a local Ollama server do, on 127.0.0.1.\n"
    "Prints its base URL on the first line of standard output, then serves until killed.\n"
    "Point the program at it with\n"
    "  TARNWICK_GEMINI_BASE_URL=<url> TARNWICK_OPENROUTER_BASE_URL=<url> TARNWICK_LOCAL_BASE_URL=<url>/v1\n"
    "Endpoints:\n"
    "  POST /v1beta/models/<model>:streamGenerateContent?alt=sse&key=<key>  (Gemini events)\n"
    "  POST /api/v1/chat/completions                                         (OpenRouter events)\n"
    "  GET  /api/v1/models                                                   (a small catalogue)\n"
    "  POST /v1/chat/completions                                             (Ollama's events)\n"
    "  GET  /v1/models                                                       (two local models)\n"
    "The answer is cut into one event per word (spaces kept with the word before them).";

QStringList fragmentsOf(const QString &answer)
{
    QStringList fragments;
    const QRegularExpression word(QStringLiteral("\\S+\\s*|\\s+"));
    for (auto it = word.globalMatch(answer); it.hasNext();)
        fragments << it.next().captured();
    return fragments;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray geminiEvent(const QString &text, bool last)
{
    QJsonObject candidate{{"content", QJsonObject{{"parts", QJsonArray{QJsonObject{{"text", text}}}},
                                                  {"role", "model"}}}};
    if (last)
        candidate.insert("finishReason", "STOP");
    return "data: " + json({{"candidates", QJsonArray{candidate}}}) + "\r\n\r\n";
}

QByteArray openRouterEvent(const QString &text)
{
    return "data: " + json({{"choices", QJsonArray{QJsonObject{{"delta", QJsonObject{{"content", text}}}}}}}) + "\n\n";
}

ScriptedResponse eventStream(const QList<QByteArray> &events, int delayMs)
{
    ScriptedResponse response;
    response.headers = {{"Content-Type", "text/event-stream"}};
    for (const QByteArray &event : events)
        response.writes.append({event, response.writes.isEmpty() ? 0 : delayMs});
    return response;
}

ScriptedResponse answer(const RecordedRequest &request, const QStringList &fragments, int delayMs, int status)
{
    if (status != 200) {
        const QByteArray body = json({{"error", QJsonObject{{"code", status},
                                                            {"message", QStringLiteral("Loopback provider answered %1.").arg(status)}}}});
        return ScriptedResponse::withBody(status, body, 0, 0, "application/json");
    }
    if (request.method == "GET" && request.path == "/api/v1/models") {
        const QByteArray body = R"({"data":[{"id":"openai/o3-mini"},{"id":"anthropic/claude-sonnet-4"},)"
                                R"({"id":"google/gemini-2.5-flash"},{"id":"meta-llama/llama-3.3-70b-instruct"}]})";
        return ScriptedResponse::withBody(200, body, 0, 0, "application/json");
    }
    if (request.method == "GET" && request.path == "/v1/models") {
        const QByteArray body = R"({"object":"list","data":[{"id":"llama3.2:latest","object":"model","created":1733486061,)"
                                R"("owned_by":"library"},{"id":"qwen3:8b","object":"model","created":1754524122,"owned_by":"library"}]})";
        return ScriptedResponse::withBody(200, body, 0, 0, "application/json");
    }
    QList<QByteArray> events;
    if (request.path == "/v1/chat/completions") {
        for (const QString &fragment : fragments)
            events << openRouterEvent(fragment);
        events << "data: [DONE]\n\n";
        return eventStream(events, delayMs);
    }
    if (request.path.startsWith("/v1beta/models/") && request.path.endsWith(":streamGenerateContent")) {
        for (qsizetype i = 0; i < fragments.size(); ++i)
            events << geminiEvent(fragments[i], i == fragments.size() - 1);
        return eventStream(events, delayMs);
    }
    if (request.path == "/api/v1/chat/completions") {
        events << ": OPENROUTER PROCESSING\n\n";
        for (const QString &fragment : fragments)
            events << openRouterEvent(fragment);
        events << "data: [DONE]\n\n";
        return eventStream(events, delayMs);
    }
    return ScriptedResponse::withBody(404, json({{"error", QJsonObject{{"code", 404}, {"message", "Not found"}}}}), 0,
                                      0, "application/json");
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    const QCommandLineOption portOption("port", "Port to listen on (default: any free port).", "N", "0");
    const QCommandLineOption answerOption("answer", "File whose UTF-8 text is the answer.", "FILE");
    const QCommandLineOption delayOption("delay-ms", "Pause before each event after the first.", "MS", "0");
    const QCommandLineOption statusOption("status", "Answer every request with this status and a JSON error.", "N",
                                          "200");
    parser.addOptions({portOption, answerOption, delayOption, statusOption});
    parser.process(app);

    QString text = QStringLiteral("Hello from the loopback provider. This answer arrives in pieces.");
    if (parser.isSet(answerOption)) {
        QFile file(parser.value(answerOption));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "loopback-provider: cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        text = QString::fromUtf8(file.readAll());
    }
    const QStringList fragments = fragmentsOf(text);
    const int delayMs = parser.value(delayOption).toInt();
    const int status = parser.value(statusOption).toInt();

    LoopbackServer server(quint16(parser.value(portOption).toUInt()));
    if (!server.isListening()) {
        std::fprintf(stderr, "loopback-provider: cannot listen on 127.0.0.1:%s\n", qPrintable(parser.value(portOption)));
        return 1;
    }
    server.setResponder([&](const RecordedRequest &request) { return answer(request, fragments, delayMs, status); });
    std::printf("%s\n", qPrintable(server.baseUrl()));
    std::fflush(stdout);
    return app.exec();
}
