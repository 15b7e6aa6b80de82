// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// What a fallible call gives back: its value, or a message saying, in plain
// words, why there is none. Result<> carries no value, only success or why not.
template<typename T = std::monostate> class Result
{
public:
    Result() requires std::is_same_v<T, std::monostate> : m_value(T{}) { }
    Result(T value)
        : m_value(std::move(value))
    {
    }

    static Result failure(QString message)
    {
        Result result{Failed{}};
        result.m_message = std::move(message);
        return result;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *m_value; }
    T value() && { return std::move(*m_value); }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty when the call succeeded.
    QString message() const { return m_message; }

private:
    struct Failed
    {
    };
    explicit Result(Failed) { }

    std::optional<T> m_value;
    QString m_message;
};
