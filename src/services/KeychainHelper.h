// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "services/KeyStore.h"

#include <QString>

#include <optional>

// The user's API keys, one text per account name. They live in the system
// keyring (Secret Service); when no keyring service answers, in a file only the
// user can read. A key saved to the file while the keyring was away moves into
// the keyring the next time it is loaded with the keyring answering.
// No call waits more than a few seconds on a keyring service that hangs.
class KeychainHelper
{
public:
    static inline const QString service = QStringLiteral("com.tarnwick.app");
    static inline const QString geminiAccount = QStringLiteral("gemini_api_key");
    static inline const QString openRouterAccount = QStringLiteral("openrouter_api_key");
    static inline const QString localAccount = QStringLiteral("local_api_key");
    static inline const QString transcriptionAccount = QStringLiteral("transcription_api_key");

    // Stores the text exactly as given (an empty text included); why not, when it was not stored.
    static Result<> save(const QString &key, const QString &value);
    // The stored text, or no value when there is none.
    static std::optional<QString> load(const QString &key);

    using Lookup = KeyStore::Lookup;
    // As load(), telling a keyring that failed apart from a missing key. It may
    // wait seconds (a hung keyring, an unlock prompt): not on the GUI thread.
    static Lookup lookup(const QString &key);

    enum class Store { SecretService, FallbackFile };
    // Which store takes a key saved now.
    static Store store();
    // One line for the settings window saying where keys are kept.
    static QString storeDescription();

    KeychainHelper() = delete;
};
