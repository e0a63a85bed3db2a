#include "resources/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

FILE* traceFile = nullptr;
bool traceChecked = false;
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
    }
    return traceFile != nullptr;
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
    std::fputc('\n', traceFile);
    std::fflush(traceFile);
}
