// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TranscribeCommand.h"

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
constexpr qsizetype kLongestPcm = qsizetype(5) * 60 * AudioSource::sampleRate * 2;
// WAV files hold at most 4 GiB; anything larger is not one.
constexpr qint64 kLargestFile = qint64(4) * 1024 * 1024 * 1024;
} // namespace

int runTranscribeCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes down what is said in a WAV file."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("transcribe"), QStringLiteral("The command."));
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
    QTextStream err(stderr);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << parser.errorText() << "\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    const QStringList files = parser.positionalArguments().mid(1);
    const std::optional<DictationEngine> chosen =
        parser.isSet(engineOption) ? dictationEngineFromCommandName(parser.value(engineOption)) : std::nullopt;
    if (files.size() != 1 || (parser.isSet(engineOption) && !chosen)) {
        err << "Usage: tarnwick transcribe [--engine gemini|openrouter|local|offline] [--language CODE] FILE.wav\n";
        return 2;
    }
    QFile file(files.first());
    if (file.size() > kLargestFile || !file.open(QIODevice::ReadOnly)) {
        err << "Cannot read " << file.fileName() << ": " << file.errorString() << "\n";
        return 2;
    }
    QByteArray pcm = WavAudio::toPcm(file.readAll());
    if (pcm.isEmpty()) {
        err << file.fileName() << " is not a PCM or float WAV file.\n";
        return 2;
    }
    if (!SpeechPresence::holdsSpeech(pcm)) {
        err << "No speech heard\n";
        return 1;
    }
    if (pcm.size() > kLongestPcm) {
        pcm.truncate(kLongestPcm);
        err << "Only the first 5 minutes are transcribed, as in dictation.\n";
        err.flush();
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
            err << "No speech heard\n";
        } else {
            QTextStream(stdout) << text << "\n";
            exitCode = 0;
        }
        QCoreApplication::quit();
    });
    QObject::connect(&transcriber, &Transcriber::failed, &app, [&](const QString &reason) {
        err << reason << "\n";
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
