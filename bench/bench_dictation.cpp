// SPDX-License-Identifier: GPL-3.0-or-later
// Dictation figures on speech synthesised with espeak-ng. The offline engine,
// fed in real time through the program's own audio path: time from the end of
// speech to the final result, and word error rate. Each engine reached over
// HTTP, against its loopback stand-in: the request's size, the time from the
// end of the recording to the text, and the longest the event loop stalled.
#include "support/LoopbackServer.h"
#include "support/MemoryKeyStore.h"
#include "support/TranscriptionStandIn.h"

#include "dictation/DictationTranscriber.h"
#include "llm/LLMClient.h"
#include "services/KeychainHelper.h"
#include "services/SpeechManager.h"
#include "services/WavAudio.h"
#include "services/WavFileSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QStringList kSentences = {
    QStringLiteral("what is the weather like today"),       QStringLiteral("open the settings window"),
    QStringLiteral("please summarise this article for me"), QStringLiteral("how do I sort a list in python"),
    QStringLiteral("write a short poem about the sea"),     QStringLiteral("translate good morning into french"),
    QStringLiteral("what time is it in new york"),          QStringLiteral("explain how a computer works"),
    QStringLiteral("send a message to my friend"),          QStringLiteral("find a good recipe for dinner"),
};

QStringList words(const QString &text)
{
    return text.toLower()
        .remove(QRegularExpression(QStringLiteral("[^a-z' ]")))
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Word-level edit distance.
int wordErrors(const QStringList &reference, const QStringList &hypothesis)
{
    QList<int> previous(hypothesis.size() + 1), current(hypothesis.size() + 1);
    for (qsizetype j = 0; j <= hypothesis.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= reference.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= hypothesis.size(); ++j) {
            const int substitution = previous[j - 1] + (reference[i - 1] == hypothesis[j - 1] ? 0 : 1);
            current[j] = std::min({substitution, previous[j] + 1, current[j - 1] + 1});
        }
        std::swap(previous, current);
    }
    return previous[hypothesis.size()];
}

// Milliseconds from the start of the samples to the last one above the noise floor.
qint64 speechEndMs(const QByteArray &pcm)
{
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    qsizetype last = 0;
    for (qsizetype i = 0; i < pcm.size() / 2; ++i) {
        if (std::abs(samples[i]) > 300)
            last = i;
    }
    return last * 1000 / AudioSource::sampleRate;
}

bool synthesise(const QString &text, const QString &path, const QTemporaryDir &dir)
{
    const QString raw = dir.filePath(QStringLiteral("raw.wav"));
    return QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "en-us", "-s", "150", "-w", raw, text}) == 0
        && QProcess::execute(QStringLiteral("sox"), {raw, "-r", "16000", "-c", "1", "-b", "16", path}) == 0;
}

struct Median
{
    QList<qint64> values;
    qint64 operator()()
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? -1 : values.at(values.size() / 2);
    }
};

// Sends each recording to each engine's stand-in, which answers with the sentence spoken.
void benchHttpEngines(const QStringList &wavs)
{
    LoopbackServer server;
    QString spoken;
    server.setResponder([&spoken](const RecordedRequest &request) { return transcriptionAnswer(request, spoken); });
    qputenv("TARNWICK_GEMINI_BASE_URL", server.baseUrl().toUtf8());
    qputenv("TARNWICK_OPENROUTER_BASE_URL", server.baseUrl().toUtf8());
    MemoryKeyStore keys;
    keys.save(KeychainHelper::geminiAccount, QStringLiteral("bench"));
    keys.save(KeychainHelper::openRouterAccount, QStringLiteral("bench"));

    std::printf("\n%-22s %14s %16s %18s %8s\n", "engine", "request bytes", "stop to text ms", "longest stall ms",
                "correct");
    for (const auto &[engine, name] :
         {std::pair{DictationEngine::Gemini, "Gemini"}, std::pair{DictationEngine::OpenRouter, "OpenRouter"},
          std::pair{DictationEngine::Server, "transcription server"}}) {
        DictationSettings settings;
        settings.engine = engine;
        settings.serverAddress = server.baseUrl() + QStringLiteral("/v1");
        settings.serverModel = QStringLiteral("whisper-1");
        Median bytes, times, stalls;
        int correct = 0;
        for (qsizetype n = 0; n < wavs.size(); ++n) {
            spoken = kSentences.at(n);
            const QByteArray wav = WavAudio::fromPcm(WavFileSource::readPcm(wavs.at(n)));
            DictationTranscriber transcriber(settings, keys);
            QString text;
            bool done = false;
            QObject::connect(&transcriber, &Transcriber::transcribed, [&](const QString &t) {
                text = t;
                done = true;
            });
            QObject::connect(&transcriber, &Transcriber::failed, [&](const QString &reason) {
                text = reason;
                done = true;
            });
            QElapsedTimer clock, tick;
            qint64 longestStall = 0;
            QTimer ticker;
            ticker.setInterval(1);
            QObject::connect(&ticker, &QTimer::timeout, [&] { longestStall = std::max(longestStall, tick.restart()); });
            const qsizetype before = server.requests().size();
            clock.start();
            tick.start();
            ticker.start();
            transcriber.transcribe(wav, QStringLiteral("en"));
            while (!done && clock.elapsed() < 30000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            times.values << clock.elapsed();
            stalls.values << longestStall;
            if (server.requests().size() > before)
                bytes.values << server.requests().last().body.size();
            correct += text == spoken ? 1 : 0;
        }
        std::printf("%-22s %14lld %16lld %18lld %5d/%lld\n", name, static_cast<long long>(bytes()),
                    static_cast<long long>(times()), static_cast<long long>(stalls()), correct,
                    static_cast<long long>(wavs.size()));
    }
    std::printf("(medians over the sentences; network excluded)\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!SpeechModel::usEnglish().isInstalled()) {
        std::fputs("the PocketSphinx US English model is not installed\n", stderr);
        return 1;
    }

    QStringList wavs;
    int errors = 0, referenceWords = 0;
    QList<qint64> latencies;
    for (qsizetype n = 0; n < kSentences.size(); ++n) {
        const QString &sentence = kSentences.at(n);
        const QString wav = dir.filePath(QStringLiteral("s%1.wav").arg(n));
        if (!synthesise(sentence, wav, dir)) {
            std::fputs("espeak-ng and sox are needed to make speech\n", stderr);
            return 1;
        }
        wavs << wav;
        const qint64 speechEnd = speechEndMs(WavFileSource::readPcm(wav));

        SpeechManager speech(std::make_unique<WavFileSource>(wav), SpeechModel::usEnglish());
        QElapsedTimer clock;
        QString result;
        qint64 finalAt = -1;
        QTimer giveUp;
        giveUp.setSingleShot(true);
        QObject::connect(&giveUp, &QTimer::timeout, &app, [&speech] { speech.cleanup(); });
        QObject::connect(&speech, &SpeechManager::isListeningChanged, &app, [&speech, &app] {
            if (!speech.isListening())
                app.quit();
        });
        clock.start();
        speech.toggle([&](const QString &text) {
            finalAt = clock.elapsed();
            result = text;
        });
        giveUp.start(int(speechEnd) + 15000);
        QCoreApplication::exec();

        const QStringList reference = words(sentence);
        const int sentenceErrors = wordErrors(reference, words(result));
        errors += sentenceErrors;
        referenceWords += int(reference.size());
        if (finalAt >= 0)
            latencies << finalAt - speechEnd;
        std::printf("%2lld  %-45s -> %-45s  errors %d  end-to-final %s ms\n", static_cast<long long>(n + 1),
                    qPrintable(sentence), qPrintable(result.isEmpty() ? QStringLiteral("(nothing)") : result),
                    sentenceErrors, finalAt >= 0 ? qPrintable(QString::number(finalAt - speechEnd)) : "-");
    }

    std::sort(latencies.begin(), latencies.end());
    std::printf("\nword error rate: %.1f %% (%d errors in %d words)\n", 100.0 * errors / referenceWords, errors,
                referenceWords);
    if (!latencies.isEmpty()) {
        std::printf("end of speech to final result: median %lld ms, min %lld ms, max %lld ms (%lld of %lld finished by "
                    "silence)\n",
                    static_cast<long long>(latencies.at(latencies.size() / 2)),
                    static_cast<long long>(latencies.first()), static_cast<long long>(latencies.last()),
                    static_cast<long long>(latencies.size()), static_cast<long long>(kSentences.size()));
    }
    benchHttpEngines(wavs);
    return 0;
}
