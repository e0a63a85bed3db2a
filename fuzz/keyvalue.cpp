// Arbitrary texts through every key/value reader, with keys that the data uses and
// keys taken from the input itself.
#include <string>
#include <string_view>

#include "resources/keyvalue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string ownKey(text.substr(0, size < 6 ? size : 6));
    ownKey += '=';
    for (const char* key : {"time=", "color0=", "speed=", "figures=", "=", ownKey.c_str()}) {
        char buffer[64];
        readString(buffer, sizeof buffer, text, key);
        readFloat(text, key);
        readInt(text, key);
        float list[16];
        readFloatList(text, list, 16, key);
        readVector3(text, key);
    }
    return 0;
}
