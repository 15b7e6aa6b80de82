// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

// Gives `member` the value and tells whether that changed it, so that a
// property setter announces a change only when there was one.
template<typename T, typename Value> bool assignIfChanged(T &member, Value &&value)
{
    if (member == value)
        return false;
    member = std::forward<Value>(value);
    return true;
}
