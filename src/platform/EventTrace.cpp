#include "platform/EventTrace.h"

#include <QtGlobal>

#include <cstdio>
#include <ctime>

namespace EventTrace {

bool enabled()
{
    static const bool on = qEnvironmentVariableIntValue("TARNWICK_TRACE_EVENTS") == 1;
    return on;
}

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
