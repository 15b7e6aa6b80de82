// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/BareJsonCollector.h"

namespace {
// An error report is a few hundred bytes; anything far larger is not one.
constexpr qsizetype kValueLimit = 1024 * 1024;
} // namespace

bool BareJsonCollector::startsValue(const QString &line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char('{')) || trimmed.startsWith(QLatin1Char('['));
}

std::optional<QByteArray> BareJsonCollector::add(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    if (m_text.size() + bytes.size() > kValueLimit) {
        *this = BareJsonCollector();
        return std::nullopt;
    }
    m_text += bytes;
    m_text += '\n';
    // Brackets inside strings do not count: an error message may hold some.
    for (char c : bytes) {
        if (m_inString) {
            if (m_escaped)
                m_escaped = false;
            else if (c == '\\')
                m_escaped = true;
            else if (c == '"')
                m_inString = false;
        } else if (c == '"') {
            m_inString = true;
        } else if (c == '{' || c == '[') {
            ++m_depth;
        } else if (c == '}' || c == ']') {
            --m_depth;
        }
    }
    if (m_depth > 0)
        return std::nullopt;
    const QByteArray value = m_text;
    *this = BareJsonCollector();
    return value;
}
