// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "presets/Preset.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

// The user's presets, kept in one JSON file written whole. Without a file the
// examples are offered (and written once anything changes). A file that cannot
// be read is moved aside and said so; one written by a newer version is read
// as far as it can be and never overwritten.
class PresetStore : public QObject
{
    Q_OBJECT

public:
    explicit PresetStore(QString filePath, QObject *parent = nullptr);

    // The process-wide store at $XDG_CONFIG_HOME/Tarnwick/presets.json.
    static PresetStore &standard();

    QString filePath() const { return m_filePath; }
    static constexpr int kVersion = 1;

    // Re-reads the file when another process (a `tarnwick preset` command) changed it.
    void refresh();
    const QList<Preset> &presets() const { return m_presets; }
    std::optional<Preset> find(const QString &name) const;
    QStringList names() const;

    // Stores the preset in the place of the one named `replacing` (its own
    // name when empty), or after the others. A name another preset has, or
    // a name that is no name, is refused.
    Result<> put(const Preset &preset, const QString &replacing = {});
    Result<> remove(const QString &name);

    // What the user should know about the file: where a damaged one went, or
    // that a newer version's file is left alone. Empty when nothing.
    QString notice() const { return m_notice; }

Q_SIGNALS:
    void changed();
    void noticeChanged();

private:
    void read();
    void setAside(const QString &why);
    Result<> write(const QList<Preset> &presets);
    void setNotice(const QString &notice);

    QString m_filePath;
    QList<Preset> m_presets;
    bool m_readOnly = false; // a newer version's file, or one that could not be moved aside
    QString m_notice;
    QDateTime m_readModified;
    qint64 m_readSize = -2; // -1: no file; -2: never looked
};
