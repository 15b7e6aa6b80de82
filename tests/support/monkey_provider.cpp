// SPDX-License-Identifier: GPL-3.0-or-later
// Both providers on 127.0.0.1 answering each request with a stream scenario
// drawn from a seeded generator: the same seed gives the same sequence.
#include "support/ProviderEvents.h"
#include "support/ProviderProgram.h"

#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>

namespace {

const char *const kDescription =
    "Serves both providers' streaming endpoints on 127.0.0.1 and answers each request with a\n"
    "scenario drawn from the seed: whole answers, answers cut into byte pieces, stalls, dropped\n"
    "connections, HTTP errors, in-stream errors, bare JSON errors, HTML pages, endless answers,\n"
    "empty answers. Prints its base URL on the first line, then one line per request naming the\n"
    "scenario.";

const QStringList kWords = {
    QStringLiteral("the"),
    QStringLiteral("launcher"),
    QStringLiteral("answer"),
    QStringLiteral("stream"),
    QStringLiteral("über"),
    QStringLiteral("naïve"),
    QStringLiteral("日本語"),
    QStringLiteral("🙂"),
    QStringLiteral("👩‍💻"),
    QStringLiteral("x"),
    QStringLiteral("**bold**"),
    QStringLiteral("`code`"),
    QStringLiteral("[link](https://example.org)"),
    QStringLiteral("_it_"),
    QStringLiteral("\t"),
    QStringLiteral("a\u0301"),
    QStringLiteral("עברית"),
    QStringLiteral("<b>html</b>"),
    QStringLiteral("&amp;"),
};

class Scenarios
{
public:
    explicit Scenarios(quint32 seed)
        : m_random(seed)
    {
    }

    ScriptedResponse answer(const RecordedRequest &request)
    {
        if (request.method == "GET" && request.path == "/api/v1/models") {
            report("models");
            return ScriptedResponse::withBody(200,
                                              R"({"data":[{"id":"openai/o3-mini"},{"id":"google/gemini-2.5-flash"}]})",
                                              0, 0, "application/json");
        }
        const bool gemini = request.path.endsWith(":streamGenerateContent");
        if (!gemini && request.path != "/api/v1/chat/completions") {
            report("not found");
            return ScriptedResponse::withBody(404, providerErrorBody(404, QStringLiteral("Not found")), 0, 0,
                                              "application/json");
        }
        switch (m_random.bounded(13)) {
        case 0:
        case 1:
        case 2:
            report("words");
            return stream(events(gemini, text(), true), pick(0, 120));
        case 3:
            report("byte pieces");
            return pieces(events(gemini, text(), true));
        case 4:
            report("stall");
            return ending(events(gemini, text(), false), ScriptedResponse::Ending::Stall);
        case 5:
            report("drop");
            return ending(events(gemini, text(), false), ScriptedResponse::Ending::Drop);
        case 6: {
            const int statuses[] = {400, 401, 403, 429, 500, 503};
            const int status = statuses[m_random.bounded(6)];
            report("status " + QByteArray::number(status));
            return ScriptedResponse::withBody(
                status, providerErrorBody(status, QStringLiteral("Refused: %1").arg(status)), 0, 0, "application/json");
        }
        case 7: {
            report("in-stream error");
            QList<QByteArray> list = events(gemini, text(), false);
            list << "data: " + providerErrorBody(500, QStringLiteral("Internal error mid-stream")) + "\n\n";
            return stream(list, pick(0, 50));
        }
        case 8: {
            report("bare JSON error");
            QList<QByteArray> list = events(gemini, text(), false);
            list << "{\n  \"error\": {\n    \"code\": 503,\n    \"message\": \"overloaded\"\n  }\n}\n";
            return stream(list, pick(0, 50));
        }
        case 9:
            report("HTML page");
            return ScriptedResponse::withBody(200, "<!doctype html><html><body>Sign in to the network</body></html>", 0,
                                              0, "text/html; charset=utf-8");
        case 10: {
            report("endless");
            ScriptedResponse response = stream(events(gemini, text(), false), 0);
            response.framing = ScriptedResponse::Framing::Chunked;
            response.repeatFrom = 0;
            return response;
        }
        case 11:
            report("empty");
            return stream(events(gemini, QString(), true), 0);
        default: {
            report("long answer");
            QString longText;
            for (int i = 0; i < 40; ++i)
                longText += text();
            return stream(events(gemini, longText, true), 0);
        }
        }
    }

private:
    int pick(int low, int high) { return low + int(m_random.bounded(high - low + 1)); }

    void report(const QByteArray &scenario)
    {
        std::printf("%s\n", scenario.constData());
        std::fflush(stdout);
    }

    // Prose, lists and code in varying amounts, as models answer.
    QString text()
    {
        QString out;
        const int parts = pick(1, 6);
        for (int p = 0; p < parts; ++p) {
            switch (m_random.bounded(5)) {
            case 0:
                out += QStringLiteral("```%1\n").arg(m_random.bounded(2) ? QStringLiteral("python") : QString());
                for (int l = pick(1, 12); l > 0; --l)
                    out += QStringLiteral("def f(x):  # %1\n    return x * %2\n").arg(words(pick(0, 30))).arg(l);
                out += m_random.bounded(4) ? QStringLiteral("```\n\n") : QString(); // sometimes left open
                break;
            case 1:
                for (int l = pick(1, 5); l > 0; --l)
                    out += QStringLiteral("- %1\n").arg(words(pick(1, 12)));
                out += QLatin1Char('\n');
                break;
            case 2:
                out += QStringLiteral("## %1\n\n").arg(words(pick(1, 5)));
                break;
            case 3:
                out += QString(pick(50, 1500), QLatin1Char('w')) + QStringLiteral("\n\n");
                break;
            default:
                out += words(pick(5, 80)) + QStringLiteral("\n\n");
                break;
            }
        }
        return out;
    }

    QString words(int count)
    {
        QStringList list;
        for (int i = 0; i < count; ++i)
            list << kWords[m_random.bounded(int(kWords.size()))];
        return list.join(QLatin1Char(' '));
    }

    // One event per word, in the provider's own shape.
    QList<QByteArray> events(bool gemini, const QString &answer, bool complete)
    {
        QStringList fragments = answer.split(QLatin1Char(' '));
        for (qsizetype i = 0; i + 1 < fragments.size(); ++i)
            fragments[i] += QLatin1Char(' ');
        return answerEvents(gemini ? EventDialect::Gemini : EventDialect::OpenRouter, fragments, complete);
    }

    ScriptedResponse stream(const QList<QByteArray> &events, int delayMs)
    {
        ScriptedResponse response = eventStream(events, delayMs);
        const ScriptedResponse::Framing framings[] = {ScriptedResponse::Framing::Chunked,
                                                      ScriptedResponse::Framing::CloseDelimited,
                                                      ScriptedResponse::Framing::ContentLength};
        response.framing = framings[m_random.bounded(3)];
        return response;
    }

    ScriptedResponse pieces(const QList<QByteArray> &events)
    {
        QByteArray body;
        for (const QByteArray &event : events)
            body += event;
        ScriptedResponse response;
        response.headers = {{"Content-Type", "text/event-stream"}};
        for (qsizetype at = 0; at < body.size();) {
            const int size = pick(1, 7);
            response.writes.append({body.mid(at, size), at == 0 ? 0 : pick(0, 2)});
            at += size;
        }
        return response;
    }

    ScriptedResponse ending(const QList<QByteArray> &events, ScriptedResponse::Ending end)
    {
        ScriptedResponse response = stream(events.mid(0, qMax<qsizetype>(1, events.size() / 2)), pick(0, 80));
        response.framing = ScriptedResponse::Framing::Chunked;
        response.ending = end;
        return response;
    }

    QRandomGenerator m_random;
};

} // namespace

int main(int argc, char **argv)
{
    const QCommandLineOption seedOption("seed", "Seed of the scenario sequence.", "N", "1");
    ProviderProgram program(argc, argv, kDescription, {seedOption});
    Scenarios scenarios(program.commandLine().value(seedOption).toUInt());
    return program.serve(0, [&](const RecordedRequest &request) { return scenarios.answer(request); });
}
