// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <cstddef>
#include <optional>

// One case of an enumeration with its stored form, the raw value. A table of
// these, one row per case in order, gives the enumeration's raw values, its
// reading back and its list of cases.
template<typename Enum> struct RawValueName
{
    Enum value;
    const char *raw;
};

template<typename Enum, std::size_t N> QString rawValue(const RawValueName<Enum> (&table)[N], Enum value)
{
    for (const RawValueName<Enum> &row : table) {
        if (row.value == value)
            return QLatin1String(row.raw);
    }
    return {};
}

// The case whose raw value is the given text, case and all, if any.
template<typename Enum, std::size_t N>
std::optional<Enum> fromRawValue(const RawValueName<Enum> (&table)[N], const QString &raw)
{
    for (const RawValueName<Enum> &row : table) {
        if (raw == QLatin1String(row.raw))
            return row.value;
    }
    return std::nullopt;
}

template<typename Enum, std::size_t N> QList<Enum> allValues(const RawValueName<Enum> (&table)[N])
{
    QList<Enum> values;
    values.reserve(N);
    for (const RawValueName<Enum> &row : table)
        values.append(row.value);
    return values;
}
