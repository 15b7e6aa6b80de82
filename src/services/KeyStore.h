// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QString>

#include <optional>

// Where the user's API keys are kept, one text per account. Calls may wait
// seconds (a keyring that hangs, an unlock prompt), so the panel and Settings
// make them on a worker thread; every store is safe to call from any thread.
class KeyStore
{
public:
    struct Lookup
    {
        std::optional<QString> value;
        // Why no value could be read although one may be stored: a keyring
        // that does not answer, a dismissed unlock prompt. Empty otherwise.
        QString problem;
    };

    virtual ~KeyStore() = default;

    // Stores the text exactly as given (an empty text included), or says why not.
    virtual Result<> save(const QString &account, const QString &value) = 0;
    virtual Lookup lookup(const QString &account) = 0;
    // One line for the settings window saying where keys are kept.
    virtual QString description() = 0;

    // The system keyring, with the user's key file where no keyring answers.
    static KeyStore &system();
};
