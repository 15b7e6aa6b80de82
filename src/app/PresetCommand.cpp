// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PresetCommand.h"

#include "app/CommandOptions.h"
#include "app/PresetLookup.h"
#include "app/StandardError.h"
#include "app/StandardOutput.h"
#include "presets/PresetStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

constexpr const char *kUsage =
    "Usage: tarnwick preset list\n"
    "       tarnwick preset add NAME --instructions TEXT [--template TEXT] [--provider P] [--model ID]\n"
    "       tarnwick preset remove NAME\n";

int refuse(const QString &why)
{
    return StandardError::fail(2, QStringLiteral("tarnwick: %1\n%2").arg(why, QLatin1String(kUsage).trimmed()));
}

int failed(const QString &why)
{
    return StandardError::fail(1, QStringLiteral("tarnwick: ") + why);
}

int list(const PresetStore &store)
{
    QByteArray out;
    for (const Preset &preset : store.presets()) {
        const QString caption = preset.caption().mid(preset.name.size());
        const QString firstLine = preset.instructions.section(QLatin1Char('\n'), 0, 0);
        out += (preset.name + QLatin1Char('\t') + firstLine + caption + QLatin1Char('\n')).toUtf8();
    }
    if (!StandardOutput::write(out) || !StandardOutput::finish())
        return 1;
    return 0;
}

} // namespace

int runPresetCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describeCommand(parser, QStringLiteral("preset"), QStringLiteral("Lists, adds and removes presets."));
    parser.addPositionalArgument(QStringLiteral("action"), QStringLiteral("list, add or remove."),
                                 QStringLiteral("list|add NAME|remove NAME"));
    const QCommandLineOption instructionsOption(QStringLiteral("instructions"),
                                                QStringLiteral("What the model is told (the system prompt)."),
                                                QStringLiteral("TEXT"));
    const QCommandLineOption templateOption(
        QStringLiteral("template"),
        QStringLiteral("The prompt, with {input}, {selection}, {clipboard} and {date} filled in."),
        QStringLiteral("TEXT"));
    const QCommandLineOption providerOption(QStringLiteral("provider"), QStringLiteral("Gemini, OpenRouter or Local."),
                                            QStringLiteral("P"));
    const QCommandLineOption modelOption(QStringLiteral("model"), QStringLiteral("The model identifier."),
                                         QStringLiteral("ID"));
    parser.addOptions({instructionsOption, templateOption, providerOption, modelOption});
    if (const std::optional<int> status = parseCommandOptions(parser, kUsage))
        return *status;

    const QStringList words = parser.positionalArguments().mid(1);
    const QString action = words.value(0);
    PresetStore &store = PresetStore::standard();
    if (!store.notice().isEmpty())
        StandardError::tell(QStringLiteral("tarnwick: ") + store.notice());

    if (action == QLatin1String("list") && words.size() == 1)
        return list(store);
    if (action == QLatin1String("remove") && words.size() == 2) {
        if (!store.find(words.at(1)))
            return refuse(unknownPresetText(store, words.at(1)));
        const Result<> removed = store.remove(words.at(1));
        return removed ? 0 : failed(removed.message());
    }
    if (action == QLatin1String("add") && words.size() == 2) {
        Preset preset{
            words.at(1), parser.value(instructionsOption), parser.value(templateOption), {}, parser.value(modelOption)};
        if (!Preset::isValidName(preset.name))
            return refuse(
                QStringLiteral("\"%1\" is not a preset name: use letters, digits, \"-\" and \"_\".").arg(preset.name));
        if (preset.instructions.trimmed().isEmpty())
            return refuse(QStringLiteral("A preset needs --instructions."));
        if (parser.isSet(providerOption)) {
            const std::optional<QString> provider = matchProviderName(parser.value(providerOption));
            if (!provider)
                return refuse(QStringLiteral("Unknown provider \"%1\": use Gemini, OpenRouter or Local.")
                                  .arg(parser.value(providerOption)));
            preset.provider = *provider;
        }
        const Result<> stored = store.put(preset);
        return stored ? 0 : failed(stored.message());
    }
    return refuse(action.isEmpty() ? QStringLiteral("Say list, add or remove.")
                                   : QStringLiteral("Cannot make sense of \"%1\".").arg(words.join(QLatin1Char(' '))));
}
