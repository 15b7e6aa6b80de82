#include "services/KeychainHelper.h"

#include "platform/Logging.h"
#include "services/KeyFile.h"
#include "services/SecretServiceStore.h"

#include <QDir>

namespace {

Result<> savedOr(const QString &error)
{
    return error.isEmpty() ? Result<>() : Result<>::failure(error);
}

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
    QString error;
    switch (reply.status) {
    case Status::Done:
        // A copy kept in the file while the keyring was away is older now.
        if (!KeyFile::remove(service, key, &error))
            return savedOr(QStringLiteral("The key was stored in the keyring, but an older copy in the key file "
                                           "could not be removed: ")
                            + error);
        return savedOr({});
    case Status::NoService:
    case Status::Unreachable:
        qCInfo(lcKeychain) << "No keyring service answered; keeping" << key << "in" << KeyFile::path();
        if (!KeyFile::setValue(service, key, value, &error))
            return savedOr(reply.error + QLatin1Char(' ') + error);
        return savedOr({});
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
        if (SecretServiceStore::store(service, key, *kept).status == SecretServiceStore::Status::Done) {
            QString ignored;
            KeyFile::remove(service, key, &ignored);
        }
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
