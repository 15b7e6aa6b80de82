// SPDX-License-Identifier: GPL-3.0-or-later
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

Result<> writeAll(const QJsonObject &items)
{
    if (!AppPaths::ensurePrivateDir(AppPaths::dataDir()))
        return Result<>::failure(
            QStringLiteral("The folder %1 cannot be made private to you.").arg(AppPaths::dataDir()));
    if (items.isEmpty()) {
        if (QFile::exists(path()) && !QFile::remove(path()))
            return Result<>::failure(QStringLiteral("%1 cannot be removed.").arg(path()));
        return {};
    }
    QSaveFile file(path());
    file.setDirectWriteFallback(false);
    // Unbuffered: a short write shows in write()'s count, and no buffer keeps a copy of the key.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result<>::failure(QStringLiteral("%1 cannot be written: %2").arg(path(), file.errorString()));
    QByteArray bytes = QJsonDocument(items).toJson(QJsonDocument::Indented);
    const bool written =
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) && file.write(bytes) == bytes.size();
    wipeSecret(bytes);
    if (!written || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Result<>::failure(QStringLiteral("%1 cannot be written: %2").arg(path(), why));
    }
    return {};
}

// Reads the file for a change. An unreadable file is set aside for the user
// rather than overwritten, so a damaged file never silently loses other keys.
Result<> readForChange(QJsonObject *items)
{
    if (read(items) != Contents::Unreadable)
        return {};
    const QString aside = path() + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    if (!QFile::rename(path(), aside))
        return Result<>::failure(QStringLiteral("%1 cannot be read or set aside.").arg(path()));
    *items = {};
    return {};
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

Result<> setValue(const QString &service, const QString &account, const QString &value)
{
    QJsonObject items;
    if (Result<> readable = readForChange(&items); !readable)
        return readable;
    QJsonObject accounts = items.value(service).toObject();
    accounts.insert(account, value);
    items.insert(service, accounts);
    return writeAll(items);
}

Result<> remove(const QString &service, const QString &account)
{
    QJsonObject items;
    if (read(&items) != Contents::Readable)
        return {};
    QJsonObject accounts = items.value(service).toObject();
    if (!accounts.contains(account))
        return {};
    accounts.remove(account);
    if (accounts.isEmpty())
        items.remove(service);
    else
        items.insert(service, accounts);
    return writeAll(items);
}

} // namespace KeyFile
