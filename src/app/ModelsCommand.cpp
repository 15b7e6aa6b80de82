// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModelsCommand.h"

#include "app/CommandOptions.h"
#include "app/StandardOutput.h"
#include "llm/LLMClient.h"
#include "llm/LLMError.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/KeychainHelper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {
constexpr const char *kUsage = "Usage: tarnwick models [--provider openrouter|local]\n";
}

int runModelsCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints the models a provider offers, one a line, and caches "
                                                    "them for the model menu."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("models"), QStringLiteral("The command."));
    const QCommandLineOption providerOption(QStringLiteral("provider"),
                                            QStringLiteral("OpenRouter (the default) or Local."),
                                            QStringLiteral("PROVIDER"), rawValue(LLMProvider::OpenRouter));
    parser.addOption(providerOption);
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    QTextStream err(stderr);
    const std::optional<LLMProvider> provider = llmProviderFromName(parser.value(providerOption));
    // Only a provider whose list is fetched has one to print.
    if (parser.positionalArguments().size() > 1 || !provider || !ProviderTable::traits(*provider).modelListRequest) {
        err << kUsage;
        return 2;
    }
    const ProviderTraits &traits = ProviderTable::traits(*provider);
    UserDefaults &defaults = UserDefaults::standard();

    int exitCode = 0;
    const auto report = [&exitCode, &err, &defaults, &traits](const LLMClient::ModelList &result) {
        if (result.error) {
            err << result.error->errorDescription() << "\n";
            exitCode = 1;
        } else if (result.models.isEmpty()) {
            err << "The server listed no usable models.\n";
            exitCode = 1;
        } else {
            StandardOutput::write((result.models.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
            if (!StandardOutput::finish())
                exitCode = 1;
            defaults.set(traits.cachedModels, result.models);
        }
        QCoreApplication::exit(exitCode);
    };

    // A server of the user's own needs no key; one is sent when stored.
    const QString key = KeychainHelper::load(traits.keyAccount).value_or(QString());
    if (key.isEmpty() && traits.needsKey) {
        err << "No API key set for " << traits.displayName << ". Store one with: tarnwick set-key "
            << traits.rawValue.toLower() << "\n";
        return 1;
    }
    const QString address = traits.serverAddress ? defaults.text(*traits.serverAddress) : QString();
    LLMClient::fetchModels(*provider, address, key, &app, report);
    QCoreApplication::exec();
    return exitCode;
}
