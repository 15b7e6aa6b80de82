// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RawValue.h"

// The appearance choice; the raw value is also its label.
enum class AppTheme { System, Light, Dark };

std::span<const RawValueName<AppTheme>> rawValueNames(AppTheme);
