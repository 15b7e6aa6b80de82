#include "app/ModelsCommand.h"

#include "app/CommandOptions.h"
#include "app/StandardOutput.h"
#include "llm/LLMClient.h"
#include "llm/LLMError.h"
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
                                            QStringLiteral("PROVIDER"), QStringLiteral("OpenRouter"));
    parser.addOption(providerOption);
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    QTextStream err(stderr);
    const QString provider = parser.value(providerOption).toLower();
    if (parser.positionalArguments().size() > 1 || (provider != QLatin1String("openrouter") && provider != QLatin1String("local"))) {
        err << kUsage;
        return 2;
    }
    const bool local = provider == QLatin1String("local");
    UserDefaults &defaults = UserDefaults::standard();

    int exitCode = 0;
    const auto report = [&exitCode, &err, &defaults, local](const LLMClient::ModelList &result) {
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
            defaults.set(local ? Preferences::cachedLocalModels : Preferences::cachedOpenRouterModels, result.models);
        }
        QCoreApplication::exit(exitCode);
    };

    if (local) {
        // A local server needs no key; one is sent when stored.
        const QString key = KeychainHelper::load(KeychainHelper::localAccount).value_or(QString());
        LLMClient::fetchLocalModels(defaults.text(Preferences::localServerAddress), key, &app,
                                    report);
    } else {
        const QString key = KeychainHelper::load(KeychainHelper::openRouterAccount).value_or(QString());
        if (key.isEmpty()) {
            err << "No API key set for OpenRouter. Store one with: tarnwick set-key openrouter\n";
            return 1;
        }
        LLMClient::fetchOpenRouterModels(key, &app, report);
    }
    QCoreApplication::exec();
    return exitCode;
}
