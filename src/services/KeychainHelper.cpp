// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/KeychainHelper.h"

#include "platform/Logging.h"
#include "services/KeyFile.h"
#include "services/SecretServiceStore.h"

#include <QDir>

namespace {

QString shownPath(const QString &path)
{
    const QString home = QDir::homePath();
    if (path.startsWith(home + QLatin1Char('/')))
        return QStringLiteral("~") + path.mid(home.size());
    return path;
}

} // namespace

Result<> KeychainHelper::save(const QString &key, const QString &value)
{
    using SecretServiceStore::Status;
    const SecretServiceStore::Reply reply = SecretServiceStore::store(service, key, value);
    switch (reply.status) {
    case Status::Done:
        // A copy kept in the file while the keyring was away is older now.
        if (const Result<> removed = KeyFile::remove(service, key); !removed)
            return Result<>::failure(QStringLiteral("The key was stored in the keyring, but an older copy in the key "
                                                    "file could not be removed: ")
                                     + removed.message());
        return {};
    case Status::NoService:
    case Status::Unreachable:
        qCInfo(lcKeychain) << "No keyring service answered; keeping" << key << "in" << KeyFile::path();
        if (const Result<> kept = KeyFile::setValue(service, key, value); !kept)
            return Result<>::failure(reply.error + QLatin1Char(' ') + kept.message());
        return {};
    case Status::NotFound:
    case Status::Failed:
        // The keyring answered and declined (for example a dismissed unlock
        // prompt): that is the user's say, not a reason to write the key to a file.
        break;
    }
    return Result<>::failure(reply.error.isEmpty() ? QStringLiteral("the keyring refused it.") : reply.error);
}

std::optional<QString> KeychainHelper::load(const QString &key)
{
    return lookup(key).value;
}

KeychainHelper::Lookup KeychainHelper::lookup(const QString &key)
{
    // A key in the file was saved after anything the keyring holds for the same
    // account (a keyring save removes it from the file), so it wins, and moves
    // into the keyring once one answers.
    if (std::optional<QString> kept = KeyFile::value(service, key)) {
        // Should the file keep its copy, the next lookup moves it again.
        if (SecretServiceStore::store(service, key, *kept).status == SecretServiceStore::Status::Done)
            KeyFile::remove(service, key);
        return {std::move(kept), {}};
    }
    SecretServiceStore::Reply reply = SecretServiceStore::lookup(service, key);
    switch (reply.status) {
    case SecretServiceStore::Status::Done:
        return {std::move(reply.text), {}};
    case SecretServiceStore::Status::NotFound:
    case SecretServiceStore::Status::NoService:
        return {};
    case SecretServiceStore::Status::Unreachable:
    case SecretServiceStore::Status::Failed:
        break;
    }
    return {std::nullopt, reply.error};
}

KeychainHelper::Store KeychainHelper::store()
{
    return SecretServiceStore::probe().status == SecretServiceStore::Status::Done ? Store::SecretService
                                                                                  : Store::FallbackFile;
}

QString KeychainHelper::storeDescription()
{
    if (store() == Store::SecretService)
        return QStringLiteral("Keys are kept in the system keyring.");
    return QStringLiteral("No keyring service is running: keys are kept in a file only you can read (%1).")
        .arg(shownPath(KeyFile::path()));
}
