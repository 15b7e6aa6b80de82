#include "services/KeyFile.h"

#include "platform/AppPaths.h"
#include "services/SecretWipe.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace KeyFile {

namespace {

enum class Contents { Missing, Readable, Unreadable };

// The whole file as { service: { account: value } }.
Contents read(QJsonObject *items)
{
    QFile file(path());
    if (!file.exists())
        return Contents::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return Contents::Unreadable;
    QByteArray bytes = file.readAll();
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    wipeSecret(bytes);
    if (!doc.isObject())
        return Contents::Unreadable;
    *items = doc.object();
    return Contents::Readable;
}

bool writeAll(const QJsonObject &items, QString *error)
{
    if (!AppPaths::ensurePrivateDir(AppPaths::dataDir())) {
        *error = QStringLiteral("The folder %1 cannot be made private to you.").arg(AppPaths::dataDir());
        return false;
    }
    if (items.isEmpty()) {
        if (QFile::exists(path()) && !QFile::remove(path())) {
            *error = QStringLiteral("%1 cannot be removed.").arg(path());
            return false;
        }
        return true;
    }
    QSaveFile file(path());
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write shows in write()'s count, and no buffer keeps a copy of the key.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path(), file.errorString());
        return false;
    }
    QByteArray bytes = QJsonDocument(items).toJson(QJsonDocument::Indented);
    const bool written = file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == bytes.size();
    wipeSecret(bytes);
    if (!written || !file.commit()) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(path(), file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

// Reads the file for a change. An unreadable file is set aside for the user
// rather than overwritten, so a damaged file never silently loses other keys.
bool readForChange(QJsonObject *items, QString *error)
{
    if (read(items) != Contents::Unreadable)
        return true;
    const QString aside = path() + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    if (!QFile::rename(path(), aside)) {
        *error = QStringLiteral("%1 cannot be read or set aside.").arg(path());
        return false;
    }
    *items = {};
    return true;
}

} // namespace

QString path()
{
    return AppPaths::dataDir() + QStringLiteral("/keys.json");
}

std::optional<QString> value(const QString &service, const QString &account)
{
    QJsonObject items;
    if (read(&items) != Contents::Readable)
        return std::nullopt;
    const QJsonValue found = items.value(service).toObject().value(account);
    if (!found.isString())
        return std::nullopt;
    return found.toString();
}

bool setValue(const QString &service, const QString &account, const QString &value, QString *error)
{
    QJsonObject items;
    if (!readForChange(&items, error))
        return false;
    QJsonObject accounts = items.value(service).toObject();
    accounts.insert(account, value);
    items.insert(service, accounts);
    return writeAll(items, error);
}

bool remove(const QString &service, const QString &account, QString *error)
{
    QJsonObject items;
    if (read(&items) != Contents::Readable)
        return true;
    QJsonObject accounts = items.value(service).toObject();
    if (!accounts.contains(account))
        return true;
    accounts.remove(account);
    if (accounts.isEmpty())
        items.remove(service);
    else
        items.insert(service, accounts);
    return writeAll(items, error);
}

} // namespace KeyFile
