// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// One logging category per area. Failures are warnings and show by default;
// QT_LOGGING_RULES="tarnwick.*.debug=true" shows everything.
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
Q_DECLARE_LOGGING_CATEGORY(lcPreferences)
Q_DECLARE_LOGGING_CATEGORY(lcKeychain)
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
Q_DECLARE_LOGGING_CATEGORY(lcScreenshot)
Q_DECLARE_LOGGING_CATEGORY(lcSpeech)
Q_DECLARE_LOGGING_CATEGORY(lcMath)
Q_DECLARE_LOGGING_CATEGORY(lcLlm)
// Timed events for system tests and benchmarks: on with TARNWICK_TRACE_EVENTS=1
// (or the category's debug rule).
Q_DECLARE_LOGGING_CATEGORY(lcTrace)

// Each traced event is one line on standard error: "tarnwick-trace <monotonic ms> <event>".
namespace EventTrace {

inline bool enabled()
{
    return lcTrace().isDebugEnabled();
}

void note(const char *event);

} // namespace EventTrace
