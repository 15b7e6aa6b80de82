// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/KeyStore.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>

// Keys in memory, for tests of what reads them. While held, a lookup waits, as
// on a keyring showing its unlock prompt; a problem set makes lookups fail.
class MemoryKeyStore final : public KeyStore
{
public:
    Result<> save(const QString &account, const QString &value) override
    {
        QMutexLocker lock(&m_mutex);
        m_keys.insert(account, value);
        return {};
    }

    Lookup lookup(const QString &account) override
    {
        QMutexLocker lock(&m_mutex);
        ++m_lookups;
        m_changed.wakeAll();
        while (m_held)
            m_changed.wait(&m_mutex);
        if (!m_problem.isEmpty())
            return {std::nullopt, m_problem};
        const auto found = m_keys.constFind(account);
        return {found == m_keys.cend() ? std::nullopt : std::optional<QString>(*found), {}};
    }

    QString description() override { return QStringLiteral("Keys are kept in memory."); }

    void hold() { setHeld(true); }
    void release() { setHeld(false); }

    void setProblem(const QString &problem)
    {
        QMutexLocker lock(&m_mutex);
        m_problem = problem;
    }

    int lookups()
    {
        QMutexLocker lock(&m_mutex);
        return m_lookups;
    }

private:
    void setHeld(bool held)
    {
        QMutexLocker lock(&m_mutex);
        m_held = held;
        m_changed.wakeAll();
    }

    QMutex m_mutex;
    QWaitCondition m_changed;
    QHash<QString, QString> m_keys;
    QString m_problem;
    bool m_held = false;
    int m_lookups = 0;
};
