// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for both providers on 127.0.0.1, for end-to-end and screen tests.
#include "support/ProviderEvents.h"
#include "support/ProviderProgram.h"
#include "support/TranscriptionStandIn.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdio>
#include <optional>

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
    "  POST /v1beta/models/<model>:generateContent, /api/v1/chat/completions with input_audio,\n"
    "       /v1/audio/transcriptions                    (the transcript, once the audio is checked)\n"
    "The answer is cut into one event per word (spaces kept with the word before them); the OpenAI-style\n"
    "streams end with a usage chunk (OpenRouter's with a cost). With --reasoning, OpenRouter's stream\n"
    "first sends that text as reasoning, a word an event.";

QStringList fragmentsOf(const QString &answer)
{
    QStringList fragments;
    const QRegularExpression word(QStringLiteral("\\S+\\s*|\\s+"));
    for (auto it = word.globalMatch(answer); it.hasNext();)
        fragments << it.next().captured();
    return fragments;
}

// The OpenAI-style last chunk with the counts, before [DONE]; OpenRouter adds its price.
QList<QByteArray> withUsage(QList<QByteArray> events, const QStringList &fragments, bool priced)
{
    QJsonObject usage{{"prompt_tokens", 212}, {"completion_tokens", 3 * fragments.size()}};
    if (priced)
        usage.insert("cost", 0.0031);
    events.insert(events.size() - 1, "data: " + jsonText({{"choices", QJsonArray()}, {"usage", usage}}) + "\n\n");
    return events;
}

bool asksForTranscript(const RecordedRequest &request)
{
    return request.path.endsWith(":generateContent") || request.path.endsWith("/audio/transcriptions")
        || (request.path == "/api/v1/chat/completions" && request.body.contains("\"input_audio\""));
}

// OpenRouter's reasoning deltas, placed before the answer's first chunk.
QList<QByteArray> withReasoning(QList<QByteArray> events, const QStringList &reasoning)
{
    qsizetype at = 1; // after the processing comment
    for (const QString &part : reasoning) {
        const QJsonObject choice{{"delta", QJsonObject{{"reasoning", part}}}};
        events.insert(at++, "data: " + jsonText({{"choices", QJsonArray{choice}}}) + "\n\n");
    }
    return events;
}

ScriptedResponse answer(const RecordedRequest &request, const QStringList &fragments, const QStringList &reasoning,
                        const QString &transcript, int delayMs, int status)
{
    if (status != 200) {
        return ScriptedResponse::withBody(
            status, providerErrorBody(status, QStringLiteral("Loopback provider answered %1.").arg(status)), 0, 0,
            "application/json");
    }
    if (request.method == "GET" && request.path == "/api/v1/models") {
        const QByteArray body = R"({"data":[{"id":"openai/o3-mini"},{"id":"anthropic/claude-sonnet-4"},)"
                                R"({"id":"google/gemini-2.5-flash"},{"id":"meta-llama/llama-3.3-70b-instruct"}]})";
        return ScriptedResponse::withBody(200, body, 0, 0, "application/json");
    }
    if (request.method == "GET" && request.path == "/v1/models") {
        const QByteArray body =
            R"({"object":"list","data":[{"id":"llama3.2:latest","object":"model","created":1733486061,)"
            R"("owned_by":"library"},{"id":"qwen3:8b","object":"model","created":1754524122,"owned_by":"library"}]})";
        return ScriptedResponse::withBody(200, body, 0, 0, "application/json");
    }
    if (asksForTranscript(request))
        return transcriptionAnswer(request, transcript);
    if (request.path == "/v1/chat/completions")
        return eventStream(withUsage(answerEvents(EventDialect::Ollama, fragments, true), fragments, false), delayMs);
    if (request.path.startsWith("/v1beta/models/") && request.path.endsWith(":streamGenerateContent"))
        return eventStream(answerEvents(EventDialect::Gemini, fragments, true), delayMs);
    if (request.path == "/api/v1/chat/completions")
        return eventStream(withUsage(withReasoning(answerEvents(EventDialect::OpenRouter, fragments, true), reasoning),
                                     fragments, true),
                           delayMs);
    return ScriptedResponse::withBody(404, providerErrorBody(404, QStringLiteral("Not found")), 0, 0,
                                      "application/json");
}

} // namespace

int main(int argc, char **argv)
{
    const QCommandLineOption portOption("port", "Port to listen on (default: any free port).", "N", "0");
    const QCommandLineOption answerOption("answer", "File whose UTF-8 text is the answer.", "FILE");
    const QCommandLineOption reasoningOption("reasoning", "File whose UTF-8 text is OpenRouter's reasoning.", "FILE");
    const QCommandLineOption delayOption("delay-ms", "Pause before each event after the first.", "MS", "0");
    const QCommandLineOption statusOption("status", "Answer every request with this status and a JSON error.", "N",
                                          "200");
    const QCommandLineOption transcriptOption("transcript", "The transcript of every recording.", "TEXT",
                                              "Hello from the loopback transcriber.");
    ProviderProgram program(argc, argv, kDescription,
                            {portOption, answerOption, reasoningOption, delayOption, statusOption, transcriptOption});
    const QCommandLineParser &options = program.commandLine();

    const auto textOf = [&](const QCommandLineOption &option, const QString &fallback) -> std::optional<QString> {
        if (!options.isSet(option))
            return fallback;
        QFile file(options.value(option));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "loopback-provider: cannot read %s\n", qPrintable(file.fileName()));
            return std::nullopt;
        }
        return QString::fromUtf8(file.readAll());
    };
    const std::optional<QString> text =
        textOf(answerOption, QStringLiteral("Hello from the loopback provider. This answer arrives in pieces."));
    const std::optional<QString> reasoningText = textOf(reasoningOption, QString());
    if (!text || !reasoningText)
        return 2;
    const QStringList fragments = fragmentsOf(*text);
    const QStringList reasoning = fragmentsOf(*reasoningText);
    const int delayMs = options.value(delayOption).toInt();
    const int status = options.value(statusOption).toInt();
    const QString transcript = options.value(transcriptOption);
    return program.serve(quint16(options.value(portOption).toUInt()), [&](const RecordedRequest &request) {
        return answer(request, fragments, reasoning, transcript, delayMs, status);
    });
}
