// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Logging.h"

#include <cstdio>
#include <ctime>

namespace {

QtMsgType traceThreshold()
{
    return qEnvironmentVariableIntValue("TARNWICK_TRACE_EVENTS") == 1 ? QtDebugMsg : QtInfoMsg;
}

} // namespace

Q_LOGGING_CATEGORY(lcHistory, "tarnwick.history", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPreferences, "tarnwick.preferences", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKeychain, "tarnwick.keychain", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHotkeys, "tarnwick.hotkeys", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "tarnwick.desktop", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScreenshot, "tarnwick.screenshot", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSpeech, "tarnwick.speech", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMath, "tarnwick.math", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLlm, "tarnwick.llm", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTrace, "tarnwick.trace", traceThreshold())

namespace EventTrace {

// Its own line format with a monotonic time: readers measure intervals between lines.
void note(const char *event)
{
    if (!enabled())
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "tarnwick-trace %.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6, event);
    std::fflush(stderr);
}

} // namespace EventTrace
