#pragma once

// With TARNWICK_TRACE_EVENTS=1 in the environment, the program prints one line
// per event to standard error: "tarnwick-trace <monotonic ms> <event>". System
// tests and benchmarks read it; otherwise the program writes nothing.
namespace EventTrace {

bool enabled();
void note(const char *event);

} // namespace EventTrace
