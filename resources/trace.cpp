#include "resources/trace.h"

#include <time.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

FILE* traceFile = nullptr;
bool traceChecked = false;
bool withClock = false;
uint32_t traceFrame = 0;

}  // namespace

bool traceOn() {
    if (!traceChecked) {
        traceChecked = true;
        if (const char* path = std::getenv("QUELMAR_TRACE"); path != nullptr && path[0] != '\0') {
            traceFile = std::fopen(path, "a");
            if (traceFile == nullptr)
                std::fprintf(stderr, "QUELMAR_TRACE=%s cannot be opened; no trace\n", path);
        }
        const char* clock = std::getenv("QUELMAR_TRACE_CLOCK");
        withClock = traceFile != nullptr && clock != nullptr && clock[0] != '\0';
    }
    return traceFile != nullptr;
}

bool traceClockOn() {
    return traceOn() && withClock;
}

void setTraceFrame(uint32_t frame) {
    traceFrame = frame;
}

void trace(const char* format, ...) {
    if (!traceOn()) return;
    std::fprintf(traceFile, "%u ", static_cast<unsigned>(traceFrame));
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(traceFile, format, arguments);
    va_end(arguments);
    if (withClock) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(traceFile, " at %.3f", static_cast<double>(now.tv_sec) * 1e3 + now.tv_nsec / 1e6);
    }
    std::fputc('\n', traceFile);
    std::fflush(traceFile);
}
