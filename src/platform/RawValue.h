#pragma once

#include <QList>
#include <QString>

#include <optional>

// The case of an enumeration whose rawValue() is the given text, if any: the
// stored form of a choice read back exactly, case and all.
template<typename Enum> std::optional<Enum> fromRawValue(const QString &raw, const QList<Enum> &cases)
{
    for (Enum value : cases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}
