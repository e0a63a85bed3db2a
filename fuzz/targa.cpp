// Arbitrary bytes as a Targa file.
#include <cstddef>
#include <cstdint>

#include "resources/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image image;
    if (decodeTarga(data, size, image) &&
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4)
        __builtin_trap();
    return 0;
}
