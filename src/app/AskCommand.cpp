// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AskCommand.h"

#include "app/CommandOptions.h"
#include "app/PresetLookup.h"
#include "app/StandardError.h"
#include "app/StandardOutput.h"
#include "platform/InterruptNotifier.h"
#include "core/ImageFiles.h"
#include "core/LauncherViewModel.h"
#include "core/UsageText.h"
#include "llm/FileParts.h"
#include "llm/LLMProvider.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/DesktopValues.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include <unistd.h>

namespace {

constexpr const char *kUsage =
    "Usage: tarnwick ask [--provider P] [--model ID] [--image FILE] [--file FILE]... [--preset NAME] [--reasoning]\n"
    "                    [--usage] [PROMPT...]\n";

bool namesPreset(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--preset") == 0 || std::strncmp(argv[i], "--preset=", 9) == 0)
            return true;
    }
    return false;
}

// A preset reads the selection and the clipboard, which need the display; a
// display named but not there must not end the command.
bool displayReachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

std::unique_ptr<QCoreApplication> application(int &argc, char **argv)
{
    if (namesPreset(argc, argv) && displayReachable()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int runAskCommand(int &argc, char **argv)
{
    const std::unique_ptr<QCoreApplication> app = application(argc, argv);
    QCommandLineParser parser;
    describeCommand(parser, QStringLiteral("ask"),
                    QStringLiteral("Sends one prompt and prints the answer as it streams in."));
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
    const QCommandLineOption presetOption(QStringLiteral("preset"),
                                          QStringLiteral("Send with this preset's instructions and template."),
                                          QStringLiteral("NAME"));
    parser.addOptions(
        {providerOption, modelOption, imageOption, fileOption, presetOption, reasoningOption, usageOption});
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    // The overrides live in memory: a one-off question changes no stored choice.
    const UserDefaults &stored = UserDefaults::standard();
    UserDefaults choices{QString()};
    for (const QString &key :
         {Preferences::selectedProvider, Preferences::selectedGeminiModel, Preferences::selectedOpenRouterModel,
          Preferences::selectedLocalModel, Preferences::localServerAddress}) {
        if (const auto value = stored.string(key))
            choices.set(key, *value);
    }
    std::optional<Preset> preset;
    if (parser.isSet(presetOption)) {
        const PresetStore &presets = PresetStore::standard();
        if (!presets.notice().isEmpty())
            StandardError::tell(presets.notice());
        preset = presets.find(parser.value(presetOption));
        if (!preset) {
            return StandardError::fail(2,
                                       unknownPresetText(presets, parser.value(presetOption)) + QLatin1Char('\n')
                                           + QLatin1String(kUsage).trimmed());
        }
        if (!preset->provider.isEmpty() && !parser.isSet(providerOption)) {
            const auto provider = matchProviderName(preset->provider);
            if (!provider) {
                return StandardError::fail(2,
                                           QStringLiteral("The preset %1 names an unknown provider \"%2\".")
                                               .arg(preset->name, preset->provider));
            }
            choices.set(Preferences::selectedProvider, *provider);
        }
    }
    if (parser.isSet(providerOption)) {
        const std::optional<LLMProvider> provider = llmProviderFromName(parser.value(providerOption));
        if (!provider) {
            return StandardError::fail(2,
                                       QStringLiteral("Unknown provider \"%1\": use Gemini, OpenRouter or Local.\n%2")
                                           .arg(parser.value(providerOption), QLatin1String(kUsage).trimmed()));
        }
        choices.set(Preferences::selectedProvider, rawValue(*provider));
    }

    LauncherViewModel vm(choices, KeyStore::system());
    // The command line's model goes before the preset's.
    const QString model = parser.isSet(modelOption) ? parser.value(modelOption) : preset ? preset->model : QString();
    if (!model.isEmpty()) {
        vm.setSelectedModel(vm.selectedProvider(), model);
    }

    if (parser.isSet(imageOption)) {
        const ImageFiles::Read file = ImageFiles::read(parser.value(imageOption));
        if (file.image.isNull())
            return StandardError::fail(2, file.problem);
        vm.setAttachedImage(file.image);
    }
    if (const QStringList problems = vm.attachPaths(parser.values(fileOption)); !problems.isEmpty())
        return StandardError::fail(2, problems.join(QLatin1Char('\n')));
    if (vm.selectedProvider() == LLMProvider::Local) {
        if (const QString refusal = FileParts::localRefusal(vm.attachedFiles()); !refusal.isEmpty())
            return StandardError::fail(2, refusal);
    }

    QStringList words = parser.positionalArguments().mid(1);
    QString prompt = words.join(QLatin1Char(' '));
    // A preset may need nothing typed: a terminal is then not waited on.
    if (words.isEmpty() && !(preset && isatty(STDIN_FILENO))) {
        QFile input;
        input.open(stdin, QIODevice::ReadOnly);
        prompt = QString::fromUtf8(input.readAll());
    }
    if (preset) {
        const TemplateValues values = desktopValues(prompt.trimmed());
        if (PresetTemplate::lacksMaterial(preset->promptTemplate, values) && !vm.attachedImageData()
            && vm.attachedFiles().isEmpty()) {
            return StandardError::fail(
                2,
                QStringLiteral("Nothing to send: the preset %1 works on the selection or the clipboard, and "
                               "both are empty.")
                    .arg(preset->name));
        }
        prompt = PresetTemplate::fill(preset->promptTemplate, values);
        vm.setInstructions(preset->instructions);
    }
    vm.setInputText(prompt);
    if (vm.inputText().trimmed().isEmpty() && !vm.attachedImageData() && vm.attachedFiles().isEmpty())
        return StandardError::fail(2, QStringLiteral("Nothing to send: give a prompt, an image or a file."));

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
            StandardError::write(QStringLiteral("\n"));
    };
    bool outputFailed = false;
    QObject::connect(&vm, &LauncherViewModel::messageUpdated, app.get(), [&](int index) {
        const ChatMessage &message = vm.messages().at(index);
        if (message.role != ChatMessage::Role::Assistant || !message.isStreaming || outputFailed)
            return;
        if (showReasoning && message.reasoning.size() > thoughtPrinted) {
            StandardError::write(message.reasoning.mid(thoughtPrinted));
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
    QObject::connect(&vm, &LauncherViewModel::answerFailed, app.get(), [&](const QString &description) {
        StandardError::tell(description);
        exitCode = 1;
    });
    QObject::connect(&vm, &LauncherViewModel::isLoadingChanged, app.get(), [&] {
        if (!vm.isLoading())
            QCoreApplication::quit();
    });

    InterruptNotifier interrupt;
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, app.get(), [&] {
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
        StandardError::tell(usage ? UsageText::summary(*usage)
                                  : QStringLiteral("tokens: not reported by the provider"));
    }
    if (const auto error = vm.errorMessage()) {
        return StandardError::fail(1, *error);
    }
    if (!StandardOutput::finish())
        return 1;
    return exitCode;
}
