// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ModelsCommand.h"

#include "app/CommandOptions.h"
#include "app/StandardError.h"
#include "app/StandardOutput.h"
#include "llm/LLMClient.h"
#include "llm/LLMError.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/KeychainHelper.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
constexpr const char *kUsage = "Usage: tarnwick models [--provider openrouter|local]\n";
}

int runModelsCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describeCommand(parser, QStringLiteral("models"),
                    QStringLiteral("Prints the models a provider offers, one a line, and caches "
                                   "them for the model menu."));
    const QCommandLineOption providerOption(QStringLiteral("provider"),
                                            QStringLiteral("OpenRouter (the default) or Local."),
                                            QStringLiteral("PROVIDER"), rawValue(LLMProvider::OpenRouter));
    parser.addOption(providerOption);
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    const std::optional<LLMProvider> provider = llmProviderFromName(parser.value(providerOption));
    // Only a provider whose list is fetched has one to print.
    if (parser.positionalArguments().size() > 1 || !provider || !ProviderTable::traits(*provider).modelListRequest)
        return StandardError::fail(2, QLatin1String(kUsage).trimmed());
    const ProviderTraits &traits = ProviderTable::traits(*provider);
    UserDefaults &defaults = UserDefaults::standard();

    int exitCode = 0;
    const auto report = [&exitCode, &defaults, &traits](const LLMClient::ModelList &result) {
        if (result.error) {
            exitCode = StandardError::fail(1, result.error->errorDescription());
        } else if (result.models.isEmpty()) {
            exitCode = StandardError::fail(1, QStringLiteral("The server listed no usable models."));
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
        return StandardError::fail(1,
                                   QStringLiteral("No API key set for %1. Store one with: tarnwick set-key %2")
                                       .arg(traits.displayName, traits.rawValue.toLower()));
    }
    const QString address = traits.serverAddress ? defaults.text(*traits.serverAddress) : QString();
    LLMClient::fetchModels(*provider, address, key, &app, report);
    QCoreApplication::exec();
    return exitCode;
}
