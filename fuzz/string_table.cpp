// Arbitrary texts through the string-table tokeniser: every key and value handed
// over must lie inside the text.
#include <cstdlib>
#include <string_view>

#include "resources/keyvalue.h"

struct Bounds {
    const char* begin;
    const char* end;
};

static void check(void* context, std::string_view key, std::string_view value) {
    const Bounds* bounds = static_cast<const Bounds*>(context);
    for (std::string_view part : {key, value}) {
        if (part.empty()) continue;
        if (part.data() < bounds->begin || part.data() + part.size() > bounds->end) std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    Bounds bounds{text, text + size};
    tokenizeStringTable(std::string_view(text, size), check, &bounds);
    return 0;
}
