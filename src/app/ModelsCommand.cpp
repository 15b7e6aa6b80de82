#include "app/ModelsCommand.h"

#include "llm/LLMClient.h"
#include "llm/LLMError.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "services/KeychainHelper.h"

#include <QCoreApplication>
#include <QTextStream>

int runModelsCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QString key = KeychainHelper::load(KeychainHelper::openRouterAccount).value_or(QString());
    if (key.isEmpty()) {
        err << "No API key set for OpenRouter. Store one with: tarnwick set-key openrouter\n";
        return 1;
    }
    int exitCode = 0;
    LLMClient::fetchOpenRouterModels(key, &app, [&exitCode, &err](const LLMClient::ModelList &result) {
        if (result.error) {
            err << result.error->errorDescription() << "\n";
            exitCode = 1;
        } else {
            QTextStream out(stdout);
            for (const QString &model : result.models)
                out << model << "\n";
            // The settings window caches only a non-empty list; so does this.
            if (!result.models.isEmpty())
                UserDefaults::standard().set(Preferences::cachedOpenRouterModels, result.models);
        }
        QCoreApplication::exit(exitCode);
    });
    QCoreApplication::exec();
    return exitCode;
}
