#include "app/AskCommand.h"

#include "app/CommandOptions.h"
#include "app/StandardOutput.h"
#include "platform/InterruptNotifier.h"
#include "core/ImageFiles.h"
#include "core/LauncherViewModel.h"
#include "core/UsageText.h"
#include "llm/FileParts.h"
#include "llm/LLMProvider.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <utility>

namespace {

constexpr const char *kUsage =
    "Usage: tarnwick ask [--provider P] [--model ID] [--image FILE] [--file FILE]... [--reasoning] [--usage] "
    "[PROMPT...]\n";

void writeRawError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void writeError(const QString &text)
{
    writeRawError(text + QLatin1Char('\n'));
}

std::optional<QString> matchProvider(const QString &name)
{
    for (LLMProvider provider : allLLMProviders()) {
        if (rawValue(provider).compare(name, Qt::CaseInsensitive) == 0)
            return rawValue(provider);
    }
    return std::nullopt;
}

} // namespace

int runAskCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends one prompt and prints the answer as it streams in."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("ask"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("PROMPT"),
                                 QStringLiteral("The prompt; read from standard input when none is given."),
                                 QStringLiteral("[PROMPT...]"));
    const QCommandLineOption providerOption(QStringLiteral("provider"), QStringLiteral("Gemini, OpenRouter or Local."),
                                            QStringLiteral("PROVIDER"));
    const QCommandLineOption modelOption(QStringLiteral("model"), QStringLiteral("The model identifier."),
                                         QStringLiteral("ID"));
    const QCommandLineOption imageOption(QStringLiteral("image"), QStringLiteral("An image to send with the prompt."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption fileOption(
        QStringList{QStringLiteral("file")},
        QStringLiteral("A text or PDF file to send with the prompt (up to 5; text up to 1 MB, PDF up to 20 MB)."),
        QStringLiteral("FILE"));
    const QCommandLineOption reasoningOption(QStringLiteral("reasoning"),
                                             QStringLiteral("Also print the model's reasoning to standard error."));
    const QCommandLineOption usageOption(QStringLiteral("usage"),
                                         QStringLiteral("Print the tokens and cost to standard error at the end."));
    parser.addOptions({providerOption, modelOption, imageOption, fileOption, reasoningOption, usageOption});
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    // The overrides live in memory: a one-off question changes no stored choice.
    const UserDefaults &stored = UserDefaults::standard();
    UserDefaults choices{QString()};
    for (const QString &key : {Preferences::selectedProvider, Preferences::selectedGeminiModel,
                               Preferences::selectedOpenRouterModel, Preferences::selectedLocalModel,
                               Preferences::localServerAddress}) {
        if (const auto value = stored.string(key))
            choices.set(key, *value);
    }
    if (parser.isSet(providerOption)) {
        const auto provider = matchProvider(parser.value(providerOption));
        if (!provider) {
            writeError(QStringLiteral("Unknown provider \"%1\": use Gemini, OpenRouter or Local.\n%2")
                           .arg(parser.value(providerOption), QLatin1String(kUsage).trimmed()));
            return 2;
        }
        choices.set(Preferences::selectedProvider, *provider);
    }

    LauncherViewModel vm(choices);
    if (parser.isSet(modelOption)) {
        if (vm.selectedProvider() == rawValue(LLMProvider::Gemini))
            vm.setSelectedGeminiModel(parser.value(modelOption));
        else if (vm.selectedProvider() == rawValue(LLMProvider::Local))
            vm.setSelectedLocalModel(parser.value(modelOption));
        else
            vm.setSelectedOpenRouterModel(parser.value(modelOption));
    }

    if (parser.isSet(imageOption)) {
        const ImageFiles::Read file = ImageFiles::read(parser.value(imageOption));
        if (file.image.isNull()) {
            writeError(file.problem);
            return 2;
        }
        vm.setAttachedImage(file.image);
    }
    if (const QStringList problems = vm.attachPaths(parser.values(fileOption)); !problems.isEmpty()) {
        writeError(problems.join(QLatin1Char('\n')));
        return 2;
    }
    if (vm.selectedProvider() == rawValue(LLMProvider::Local)) {
        if (const QString refusal = FileParts::localRefusal(vm.attachedFiles()); !refusal.isEmpty()) {
            writeError(refusal);
            return 2;
        }
    }

    QStringList words = parser.positionalArguments().mid(1);
    QString prompt = words.join(QLatin1Char(' '));
    if (words.isEmpty()) {
        QFile input;
        input.open(stdin, QIODevice::ReadOnly);
        prompt = QString::fromUtf8(input.readAll());
    }
    vm.setInputText(prompt);
    if (vm.inputText().trimmed().isEmpty() && !vm.attachedImageData() && vm.attachedFiles().isEmpty()) {
        writeError(QStringLiteral("Nothing to send: give a prompt, an image or a file."));
        return 2;
    }

    int exitCode = 0;
    qsizetype printed = 0;
    qsizetype thoughtPrinted = 0;
    const bool showReasoning = parser.isSet(reasoningOption);
    // The reasoning ends with a line break of its own, before the answer starts or the usage follows.
    bool reasoningLineEnded = false;
    const auto endReasoningLine = [&] {
        if (std::exchange(reasoningLineEnded, true) || thoughtPrinted == 0)
            return;
        if (!vm.messages().last().reasoning.endsWith(QLatin1Char('\n')))
            writeRawError(QStringLiteral("\n"));
    };
    bool outputFailed = false;
    QObject::connect(&vm, &LauncherViewModel::messageUpdated, &app, [&](int index) {
        const ChatMessage &message = vm.messages().at(index);
        if (message.role != ChatMessage::Role::Assistant || !message.isStreaming || outputFailed)
            return;
        if (showReasoning && message.reasoning.size() > thoughtPrinted) {
            writeRawError(message.reasoning.mid(thoughtPrinted));
            thoughtPrinted = message.reasoning.size();
        }
        if (!message.content.isEmpty())
            endReasoningLine();
        // An answer nobody can read is not worth paying for: stop it.
        outputFailed = !StandardOutput::write(QStringView(message.content).mid(printed).toUtf8());
        printed = message.content.size();
        if (outputFailed)
            vm.cancelStream();
    });
    QObject::connect(&vm, &LauncherViewModel::answerFailed, &app, [&](const QString &description) {
        writeError(description);
        exitCode = 1;
    });
    QObject::connect(&vm, &LauncherViewModel::isLoadingChanged, &app, [&] {
        if (!vm.isLoading())
            QCoreApplication::quit();
    });

    InterruptNotifier interrupt;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &app, [&] {
        exitCode = 130;
        vm.cancelStream();
    });

    vm.send();
    if (vm.isLoading())
        QCoreApplication::exec();
    if (!vm.messages().isEmpty())
        endReasoningLine();
    if (parser.isSet(usageOption) && !vm.messages().isEmpty()) {
        const std::optional<LLMUsage> usage = vm.messages().last().usage;
        writeError(usage ? UsageText::summary(*usage) : QStringLiteral("tokens: not reported by the provider"));
    }
    if (const auto error = vm.errorMessage()) {
        writeError(*error);
        return 1;
    }
    if (!StandardOutput::finish())
        return 1;
    return exitCode;
}
