// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sizes that several parts of the launcher panel must agree on.
namespace LauncherMetrics {

// Left and right inset of the panel's rows: header, strips, conversation and notices.
inline constexpr int edgeInset = 16;
// The panel's own corners.
inline constexpr int panelRadius = 20;
// Message bubbles, code blocks and the input bar.
inline constexpr int bubbleRadius = 18;

} // namespace LauncherMetrics
