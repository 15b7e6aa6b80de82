// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

// Points HOME and the XDG folders at a fresh temporary folder for the life of
// the object, so a test never reads or writes the user's real files.
class IsolatedHome
{
public:
    IsolatedHome();
    ~IsolatedHome();

    QString path() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    // Where the program keeps its preferences and its history in this home.
    QString preferencesFile() const { return configHome() + QStringLiteral("/Tarnwick/preferences.json"); }
    QString historyFile() const { return dataHome() + QStringLiteral("/Tarnwick/conversations.json"); }
    QString presetsFile() const { return configHome() + QStringLiteral("/Tarnwick/presets.json"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
};
