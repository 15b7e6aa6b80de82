// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SetKeyCommand.h"

#include "app/StandardError.h"
#include "llm/ProviderTable.h"
#include "services/KeychainHelper.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int runSetKeyCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString which = args.size() == 3 ? args.at(2).toLower() : QString();
    QString account;
    if (const std::optional<LLMProvider> provider = llmProviderFromName(which))
        account = ProviderTable::traits(*provider).keyAccount;
    else if (which == QStringLiteral("transcription"))
        account = ProviderTable::transcriptionKeyAccount();
    if (account.isEmpty()) {
        return StandardError::fail(
            2,
            QStringLiteral("Usage: tarnwick set-key gemini|openrouter|local|transcription  (the key is read from "
                           "standard input)"));
    }

    // Never from the arguments: they show up in the process list and the shell history.
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    QByteArray raw = input.readAll();
    const QString key = QString::fromUtf8(raw).trimmed();
    raw.fill('\0');
    if (key.isEmpty())
        return StandardError::fail(2, QStringLiteral("No key on standard input; nothing was stored."));
    if (const Result<> saved = KeychainHelper::save(account, key); !saved)
        return StandardError::fail(1, QStringLiteral("Could not store the key: ") + saved.message());
    QTextStream(stdout) << KeychainHelper::storeDescription() << "\n";
    return 0;
}
