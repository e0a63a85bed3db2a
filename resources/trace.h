#pragma once
// A line-per-event record of what the program does, for the end-to-end tests and for
// looking into a session after the fact. With QUELMAR_TRACE naming a file, each
// trace() call appends one line to it, led by the number of the frame it happened in:
// "0 screen splash", "412 menu main", "980 level 3 loaded mode 0". Without it the
// calls cost one test of a flag.
//
// With QUELMAR_TRACE_CLOCK set as well, every line ends with " at " and the system's
// monotonic clock in milliseconds ("412 menu main ready at 81234.567"): the clock every
// process on the machine reads, so a benchmark times the program's events from the
// moment it started the program.
#include <cstdint>

// Whether a trace file is open (opened on the first call).
bool traceOn();
// Whether the lines carry the clock (QUELMAR_TRACE_CLOCK, with a trace file).
bool traceClockOn();
// The frame number the following lines carry (the program's loop sets it each frame).
void setTraceFrame(uint32_t frame);
// Appends one line (no newline needed) and flushes it, so a reader sees it at once.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
