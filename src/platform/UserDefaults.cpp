// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserDefaults.h"

#include "platform/AppPaths.h"
#include "platform/Logging.h"
#include "platform/Preferences.h"
#include "platform/WholeFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The whole file at once, in a folder only the user can read.
Result<> writeFile(const QString &path, const QJsonObject &values)
{
    if (Result<> folder = AppPaths::ensurePrivateDir(QFileInfo(path).absolutePath()); !folder)
        return folder;
    WholeFileWriter file(path);
    file.write(QJsonDocument(values).toJson(QJsonDocument::Indented));
    return file.commit();
}

} // namespace

UserDefaults::UserDefaults(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
{
    refresh();
}

UserDefaults &UserDefaults::standard()
{
    static UserDefaults *instance = new UserDefaults(AppPaths::configDir() + QStringLiteral("/preferences.json"));
    return *instance;
}

// Re-reads the file when another process (a second `tarnwick` command) changed it.
void UserDefaults::refresh() const
{
    if (m_filePath.isEmpty())
        return;
    const QFileInfo info(m_filePath);
    if (!info.exists()) {
        if (m_loadedSize != -1)
            adopt({});
        m_loadedSize = -1;
        return;
    }
    if (info.size() == m_loadedSize && info.lastModified() == m_loadedModified)
        return;
    m_loadedSize = info.size();
    m_loadedModified = info.lastModified();

    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        // Keep the unreadable file for the user instead of overwriting it later.
        const QString aside = m_filePath + QStringLiteral(".corrupt-")
            + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
        if (QFile::rename(m_filePath, aside))
            qCWarning(lcPreferences) << "Unreadable preferences moved to" << aside;
        else
            qCWarning(lcPreferences) << "Unreadable preferences at" << m_filePath << "could not be moved aside";
        m_loadedSize = -1;
        adopt({});
        return;
    }
    adopt(doc.object());
}

void UserDefaults::adopt(const QJsonObject &fresh) const
{
    QStringList differing;
    for (auto it = fresh.begin(); it != fresh.end(); ++it) {
        if (m_values.value(it.key()) != it.value())
            differing << it.key();
    }
    for (auto it = m_values.begin(); it != m_values.end(); ++it) {
        if (!fresh.contains(it.key()))
            differing << it.key();
    }
    m_values = fresh;
    auto *self = const_cast<UserDefaults *>(this);
    for (const QString &key : differing)
        Q_EMIT self->changed(key);
}

bool UserDefaults::contains(const QString &key) const
{
    refresh();
    return m_values.contains(key);
}

QVariant UserDefaults::value(const QString &key) const
{
    refresh();
    if (!m_values.contains(key))
        return {};
    return m_values.value(key).toVariant();
}

std::optional<QString> UserDefaults::string(const QString &key) const
{
    refresh();
    const QJsonValue v = m_values.value(key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

QString UserDefaults::text(const TextPreference &preference) const
{
    const std::optional<QString> stored = string(preference.key);
    if (!stored || (!preference.choices.isEmpty() && !preference.choices.contains(*stored)))
        return preference.fallback;
    return *stored;
}

std::optional<qint64> UserDefaults::integer(const QString &key) const
{
    const QVariant v = value(key);
    if (v.typeId() != QMetaType::LongLong)
        return std::nullopt;
    return v.toLongLong();
}

QStringList UserDefaults::stringList(const QString &key) const
{
    refresh();
    const QJsonValue v = m_values.value(key);
    if (!v.isArray())
        return {};
    QStringList result;
    for (const QJsonValue &item : v.toArray()) {
        if (!item.isString())
            return {};
        result << item.toString();
    }
    return result;
}

QVariantMap UserDefaults::dictionary(const QString &key) const
{
    refresh();
    const QJsonValue v = m_values.value(key);
    return v.isObject() ? v.toObject().toVariantMap() : QVariantMap();
}

bool UserDefaults::set(const QString &key, const QVariant &value)
{
    return write(key, QJsonValue::fromVariant(value));
}

bool UserDefaults::remove(const QString &key)
{
    return write(key, std::nullopt);
}

bool UserDefaults::write(const QString &key, const std::optional<QJsonValue> &value)
{
    refresh();
    const bool had = m_values.contains(key);
    const QJsonValue old = m_values.value(key);
    if (value)
        m_values.insert(key, *value);
    else
        m_values.remove(key);

    bool written = m_filePath.isEmpty();
    if (!written) {
        const Result<> saved = writeFile(m_filePath, m_values);
        if (!saved)
            qCWarning(lcPreferences).noquote() << "Preferences not saved:" << saved.message();
        written = saved.ok();
    }
    if (written && !m_filePath.isEmpty()) {
        const QFileInfo info(m_filePath);
        m_loadedSize = info.size();
        m_loadedModified = info.lastModified();
    }
    if (had != m_values.contains(key) || old != m_values.value(key))
        Q_EMIT changed(key);
    return written;
}
