// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <concepts>
#include <optional>
#include <span>

// One case of an enumeration with its stored form, the raw value. A table of
// these, one row per case in order, gives the enumeration's raw values, its
// reading back and its list of cases.
template<typename Enum> struct RawValueName
{
    Enum value;
    const char *raw;
};

template<typename Enum> QString rawValue(std::span<const RawValueName<Enum>> table, Enum value)
{
    for (const RawValueName<Enum> &row : table) {
        if (row.value == value)
            return QLatin1String(row.raw);
    }
    return {};
}

// The case whose raw value is the given text, case and all, if any.
template<typename Enum> std::optional<Enum> fromRawValue(std::span<const RawValueName<Enum>> table, const QString &raw)
{
    for (const RawValueName<Enum> &row : table) {
        if (raw == QLatin1String(row.raw))
            return row.value;
    }
    return std::nullopt;
}

// An enumeration declares its stored table beside it as
// `std::span<const RawValueName<E>> rawValueNames(E)`; these then serve it.
template<typename Enum>
concept HasRawValues = requires(Enum value)
{
    {
        rawValueNames(value)
        } -> std::same_as<std::span<const RawValueName<Enum>>>;
};

template<HasRawValues Enum> QString rawValue(Enum value)
{
    return rawValue(rawValueNames(value), value);
}

template<HasRawValues Enum> std::optional<Enum> fromRawValue(const QString &raw)
{
    return fromRawValue(rawValueNames(Enum{}), raw);
}

template<HasRawValues Enum> QList<Enum> allValues()
{
    QList<Enum> values;
    for (const RawValueName<Enum> &row : rawValueNames(Enum{}))
        values.append(row.value);
    return values;
}
