// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <optional>

struct TextPreference;

// The per-user preferences: a typed JSON object in one file, written
// atomically on every change. Types survive the round trip (text, integer,
// list of texts, dictionary), so "is it an integer" questions have answers.
class UserDefaults : public QObject
{
    Q_OBJECT

public:
    // An empty path gives a store that lives in memory only (a one-off command's overrides).
    explicit UserDefaults(QString filePath, QObject *parent = nullptr);

    // The process-wide store at $XDG_CONFIG_HOME/Tarnwick/preferences.json.
    static UserDefaults &standard();

    QString filePath() const { return m_filePath; }

    bool contains(const QString &key) const;
    QVariant value(const QString &key) const; // invalid when absent
    std::optional<QString> string(const QString &key) const;
    // The stored text when it is one the preference allows, else its fallback.
    QString text(const TextPreference &preference) const;
    std::optional<qint64> integer(const QString &key) const;
    QStringList stringList(const QString &key) const; // empty when absent or not a list of texts
    QVariantMap dictionary(const QString &key) const; // empty when absent or not a dictionary

    // Both return whether the file was written; the value is kept in memory either way.
    bool set(const QString &key, const QVariant &value);
    bool remove(const QString &key);

Q_SIGNALS:
    void changed(const QString &key);

private:
    void refresh() const;
    bool write(const QString &key, const std::optional<QJsonValue> &value);
    void adopt(const QJsonObject &fresh) const;

    QString m_filePath;
    mutable QJsonObject m_values;
    mutable QDateTime m_loadedModified;
    mutable qint64 m_loadedSize = -1;
};
