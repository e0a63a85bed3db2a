// Arbitrary bytes as an alpha JPEG: the JPEG part decoded, the rest laid over it as alpha.
#include <cstddef>
#include <cstdint>

#include "resources/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AlphaJpegParts parts = splitAlphaJpeg(data, size);
    Image image;
    if (decodeJpeg(data, parts.jpegSize, image)) {
        applyAlphaPlane(image, parts.alpha, parts.alphaSize);
        Image corner = blankImage(64, 32);
        copyIntoCorner(corner, image);
        applyAlphaPlaneToCorner(corner, parts.alpha, parts.alphaSize, 40, 20);
    }
    return 0;
}
