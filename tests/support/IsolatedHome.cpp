// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/IsolatedHome.h"

namespace {
const char *const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
}

IsolatedHome::IsolatedHome()
{
    for (int i = 0; i < 4; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + QStringLiteral("/cache")).toLocal8Bit());
}

IsolatedHome::~IsolatedHome()
{
    for (int i = 0; i < 4; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_saved[i]);
    }
}
