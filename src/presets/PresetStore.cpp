// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetStore.h"

#include "platform/AppPaths.h"
#include "platform/WholeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QLatin1String kVersionKey("version");
const QLatin1String kPresetsKey("presets");

QJsonObject toJson(const Preset &preset)
{
    QJsonObject object{{QStringLiteral("name"), preset.name}, {QStringLiteral("instructions"), preset.instructions}};
    // Optional members are written only when they hold something.
    if (!preset.promptTemplate.isEmpty())
        object.insert(QStringLiteral("template"), preset.promptTemplate);
    if (!preset.provider.isEmpty())
        object.insert(QStringLiteral("provider"), preset.provider);
    if (!preset.model.isEmpty())
        object.insert(QStringLiteral("model"), preset.model);
    return object;
}

// A member that is absent reads as empty; one of another type is an error.
bool readText(const QJsonObject &object, QLatin1String key, QString *out)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined()) {
        out->clear();
        return true;
    }
    if (!value.isString())
        return false;
    *out = value.toString();
    return true;
}

std::optional<Preset> fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    Preset preset;
    if (!readText(object, QLatin1String("name"), &preset.name) || !Preset::isValidName(preset.name)
        || !readText(object, QLatin1String("instructions"), &preset.instructions)
        || !readText(object, QLatin1String("template"), &preset.promptTemplate)
        || !readText(object, QLatin1String("provider"), &preset.provider)
        || !readText(object, QLatin1String("model"), &preset.model))
        return std::nullopt;
    return preset;
}

} // namespace

PresetStore::PresetStore(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath))
{
    refresh();
}

PresetStore &PresetStore::standard()
{
    static PresetStore store(AppPaths::configDir() + QStringLiteral("/presets.json"));
    return store;
}

void PresetStore::refresh()
{
    const QFileInfo info(m_filePath);
    const qint64 size = info.exists() ? info.size() : -1;
    if (size == m_readSize && (size == -1 || info.lastModified() == m_readModified))
        return;
    m_readSize = size;
    m_readModified = info.lastModified();
    const QList<Preset> before = m_presets;
    read();
    if (m_presets != before)
        Q_EMIT changed();
}

void PresetStore::read()
{
    m_readOnly = false;
    QFile file(m_filePath);
    if (!file.exists()) {
        m_presets = Preset::examples();
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable for now (permissions): keep what we had, and write nothing over it.
        m_readOnly = true;
        setNotice(tr("The presets file %1 could not be opened: %2. Changes to presets are not saved.")
                      .arg(m_filePath, file.errorString()));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    file.close();
    if (parseError.error != QJsonParseError::NoError)
        return setAside(parseError.errorString());
    const QJsonObject root = doc.object();
    const QJsonValue version = root.value(kVersionKey);
    const QJsonValue list = root.value(kPresetsKey);
    if (!doc.isObject() || !version.isDouble() || version.toDouble() < 1 || !list.isArray())
        return setAside(tr("it is not a presets file"));

    // A newer version may write what this one does not know: read what can be
    // read, and leave the file as it is.
    m_readOnly = version.toDouble() > kVersion;
    QList<Preset> presets;
    for (const QJsonValue &item : list.toArray()) {
        const std::optional<Preset> preset = fromJson(item);
        if (!preset && !m_readOnly)
            return setAside(tr("a preset in it is damaged"));
        const bool seen = preset
            && std::any_of(presets.cbegin(), presets.cend(), [&](const Preset &p) { return p.name == preset->name; });
        if (preset && !seen)
            presets.append(*preset);
    }
    m_presets = presets;
    setNotice(m_readOnly ? tr("The presets file was written by a newer version of Tarnwick; it is left as it is "
                              "and changes to presets are not saved.")
                         : QString());
}

void PresetStore::setAside(const QString &why)
{
    const QString aside = m_filePath + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmss"));
    m_presets = Preset::examples();
    if (QFile::rename(m_filePath, aside)) {
        m_readSize = -1;
        setNotice(tr("The presets file could not be read (%1) and was moved to %2.").arg(why, aside));
    } else {
        m_readOnly = true; // it stays in place: never write over it
        setNotice(tr("The presets file %1 could not be read (%2) and could not be moved aside; changes to presets "
                     "are not saved.")
                      .arg(m_filePath, why));
    }
}

void PresetStore::setNotice(const QString &notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    Q_EMIT noticeChanged();
}

std::optional<Preset> PresetStore::find(const QString &name) const
{
    for (const Preset &preset : m_presets) {
        if (preset.name == name)
            return preset;
    }
    return std::nullopt;
}

QStringList PresetStore::names() const
{
    QStringList names;
    for (const Preset &preset : m_presets)
        names << preset.name;
    return names;
}

Result<> PresetStore::put(const Preset &preset, const QString &replacing)
{
    refresh();
    if (!Preset::isValidName(preset.name))
        return Result<>::failure(tr("A preset's name is made of letters, digits, \"-\" and \"_\"."));
    const QString old = replacing.isEmpty() ? preset.name : replacing;
    if (preset.name != old && find(preset.name))
        return Result<>::failure(tr("There is already a preset named %1.").arg(preset.name));
    QList<Preset> presets = m_presets;
    const auto at = std::find_if(presets.begin(), presets.end(), [&](const Preset &p) { return p.name == old; });
    if (at != presets.end())
        *at = preset;
    else
        presets.append(preset);
    return write(presets);
}

Result<> PresetStore::remove(const QString &name)
{
    refresh();
    QList<Preset> presets = m_presets;
    if (!presets.removeIf([&](const Preset &p) { return p.name == name; }))
        return Result<>::failure(tr("There is no preset named %1.").arg(name));
    return write(presets);
}

Result<> PresetStore::write(const QList<Preset> &presets)
{
    if (m_readOnly)
        return Result<>::failure(m_notice);
    const Result<> folder = AppPaths::ensurePrivateDir(QFileInfo(m_filePath).absolutePath());
    if (!folder)
        return folder;
    QJsonArray list;
    for (const Preset &preset : presets)
        list.append(toJson(preset));
    const QJsonObject root{{kVersionKey, kVersion}, {kPresetsKey, list}};
    WholeFileWriter writer(m_filePath);
    writer.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (Result<> done = writer.commit(); !done)
        return done;
    const QFileInfo info(m_filePath);
    m_readSize = info.size();
    m_readModified = info.lastModified();
    m_presets = presets;
    Q_EMIT changed();
    return {};
}
