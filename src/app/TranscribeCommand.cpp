// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TranscribeCommand.h"

#include "app/CommandOptions.h"
#include "app/StandardError.h"
#include "dictation/DictationTranscriber.h"
#include "platform/InterruptNotifier.h"
#include "platform/UserDefaults.h"
#include "services/AudioSource.h"
#include "services/SpeechPresence.h"
#include "services/WavAudio.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {
constexpr const char *kUsage =
    "Usage: tarnwick transcribe [--engine gemini|openrouter|local|offline] [--language CODE] FILE.wav\n";
constexpr qsizetype kLongestPcm = qsizetype(5) * 60 * AudioSource::sampleRate * 2;
// WAV files hold at most 4 GiB; anything larger is not one.
constexpr qint64 kLargestFile = qint64(4) * 1024 * 1024 * 1024;
} // namespace

int runTranscribeCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describeCommand(parser, QStringLiteral("transcribe"), QStringLiteral("Writes down what is said in a WAV file."));
    parser.addPositionalArgument(QStringLiteral("FILE.wav"), QStringLiteral("The recording (PCM or float WAV)."));
    const QCommandLineOption engineOption(
        QStringLiteral("engine"),
        QStringLiteral("gemini, openrouter, local (the transcription server) or offline; without it, as the "
                       "Dictation setting says."),
        QStringLiteral("ENGINE"));
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("The spoken language, such as en or de-AT."),
                                            QStringLiteral("CODE"));
    parser.addOptions({engineOption, languageOption});
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    const QStringList files = parser.positionalArguments().mid(1);
    const std::optional<DictationEngine> chosen =
        parser.isSet(engineOption) ? dictationEngineFromCommandName(parser.value(engineOption)) : std::nullopt;
    if (files.size() != 1 || (parser.isSet(engineOption) && !chosen))
        return StandardError::fail(2, QLatin1String(kUsage).trimmed());
    QFile file(files.first());
    if (file.size() > kLargestFile || !file.open(QIODevice::ReadOnly))
        return StandardError::fail(2, QStringLiteral("Cannot read %1: %2").arg(file.fileName(), file.errorString()));
    QByteArray pcm = WavAudio::toPcm(file.readAll());
    if (pcm.isEmpty())
        return StandardError::fail(2, file.fileName() + QStringLiteral(" is not a PCM or float WAV file."));
    if (!SpeechPresence::holdsSpeech(pcm))
        return StandardError::fail(1, QStringLiteral("No speech heard"));
    if (pcm.size() > kLongestPcm) {
        pcm.truncate(kLongestPcm);
        StandardError::tell(QStringLiteral("Only the first 5 minutes are transcribed, as in dictation."));
    }

    DictationSettings settings = DictationSettings::fromDefaults(UserDefaults::standard());
    if (chosen)
        settings.engine = *chosen;
    if (parser.isSet(languageOption))
        settings.language = parser.value(languageOption).trimmed();

    DictationTranscriber transcriber(settings, KeyStore::system());
    int exitCode = 1;
    QObject::connect(&transcriber, &Transcriber::transcribed, &app, [&](const QString &text) {
        if (text.isEmpty()) {
            StandardError::tell(QStringLiteral("No speech heard"));
        } else {
            QTextStream(stdout) << text << "\n";
            exitCode = 0;
        }
        QCoreApplication::quit();
    });
    QObject::connect(&transcriber, &Transcriber::failed, &app, [&](const QString &reason) {
        StandardError::tell(reason);
        QCoreApplication::quit();
    });
    InterruptNotifier interrupt;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &app, [&] {
        transcriber.cancel();
        exitCode = 130;
        QCoreApplication::quit();
    });
    transcriber.transcribe(WavAudio::fromPcm(pcm), settings.language);
    QCoreApplication::exec();
    return exitCode;
}
