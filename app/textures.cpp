#include "app/textures.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/window.h"
#include "resources/fatal.h"
#include "resources/files.h"
#include "resources/image.h"

TextureTable textureTable;

namespace {

bool nameHasTarga(const char* name) {
    return std::strstr(name, ".tga") || std::strstr(name, ".TGA");
}

void textureMessage(const char* caption, const char* format, const char* name, bool fatal) {
    char text[kTextureNameCapacity + 64];
    std::snprintf(text, sizeof text, format, name);
    if (fatal)
        fatalError(caption, text);
    else
        showMessageBox(caption, text);
}

TextureRecord* addRecord(TextureTable& table, const char* name, int width, int height, GpuTexture texture) {
    if (table.count >= kTextureCapacity) return nullptr;
    TextureRecord* slot = nullptr;
    for (TextureRecord& candidate : table.slots) {
        if (!candidate.inUse) {
            slot = &candidate;
            break;
        }
    }
    if (slot == nullptr) return nullptr;
    *slot = TextureRecord{};
    std::snprintf(slot->name, sizeof slot->name, "%s", name);
    slot->width = width;
    slot->height = height;
    slot->texture = texture;
    slot->format = kFormatArgb32;
    slot->inUse = true;
    table.order[table.count++] = slot;
    return slot;
}

// Uploads an image and records it; null (nothing kept) when the table is full or the
// GPU refuses it.
TextureRecord* addImage(TextureTable& table, const char* name, const Image& image, int levels) {
    if (table.count >= kTextureCapacity) return nullptr;
    GpuTexture texture = gpuCreateTexture(image.width, image.height, image.pixels.data(), levels);
    if (texture == 0) return nullptr;
    TextureRecord* record = addRecord(table, name, image.width, image.height, texture);
    if (record == nullptr) gpuReleaseTexture(texture);
    return record;
}

bool readPixels(const TextureRecord* record, Image& out) {
    out.width = record->width;
    out.height = record->height;
    return gpuReadTexture(record->texture, record->width, record->height, out.pixels);
}

}  // namespace

TextureRecord* findTexture(TextureTable& table, const char* name) {
    for (int i = 0; i < table.count; ++i)
        if (std::strcmp(table.order[i]->name, name) == 0) return table.order[i];
    return nullptr;
}

TextureRecord* loadTexture(TextureTable& table, const char* name, bool fatal, bool forceAlpha,
                           int mipLevels) {
    if (TextureRecord* existing = findTexture(table, name)) return existing;
    if (nameHasTarga(name)) {
        char alternative[kTextureNameCapacity];
        size_t stem = std::strcspn(name, ".");
        if (stem + 8 < sizeof alternative) {
            std::snprintf(alternative, sizeof alternative, "_a_%.*s.jpg", static_cast<int>(stem), name);
            if (TextureRecord* replaced = loadAlphaJpeg(table, alternative, false)) return replaced;
        }
    }
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, false);
    Image image;
    TextureRecord* record = nullptr;
    if (bytes != nullptr && decodeImage(name, bytes, size, image))
        record = addImage(table, name, image, mipLevels < 1 ? 1 : mipLevels);
    // The texture holds the picture now: a loose file's bytes are not kept as well.
    releaseDiskFile(bytes);
    if (record == nullptr) {
        if (fatal) textureMessage("Loading error", "Couldn't load texture: %s", name, true);
        return nullptr;
    }
    record->hasAlpha = forceAlpha || nameHasTarga(name);
    return record;
}

TextureRecord* loadAlphaJpeg(TextureTable& table, const char* name, bool fatal) {
    // A second request gives the record made by the first instead of another texture.
    if (TextureRecord* existing = findTexture(table, name)) return existing;
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, false);
    if (bytes == nullptr) return nullptr;
    AlphaJpegParts parts = splitAlphaJpeg(bytes, size);
    Image image;
    TextureRecord* record = nullptr;
    if (decodeJpeg(bytes, parts.jpegSize, image)) {
        applyAlphaPlane(image, parts.alpha, parts.alphaSize);
        record = addImage(table, name, image, 1);
    }
    releaseFile(bytes);
    if (record == nullptr) {
        if (fatal) textureMessage("Loading error", "Can't load texture: %s", name, true);
        return nullptr;
    }
    record->hasAlpha = true;
    return record;
}

TextureRecord* loadImageSized(TextureTable& table, const char* name, int width, int height) {
    if (TextureRecord* existing = findTexture(table, name)) return existing;
    int textureWidth = nextPowerOfTwo(width), textureHeight = nextPowerOfTwo(height);
    if (textureWidth == 0 || textureHeight == 0) {
        textureMessage("Init error", "Couldn't create texture: %s", name, false);
        return nullptr;
    }
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, true);
    if (bytes == nullptr) return nullptr;
    Image image;
    bool decoded = decodeImage(name, bytes, size, image);
    releaseFile(bytes);
    TextureRecord* record = nullptr;
    if (decoded) {
        Image corner = blankImage(width, height);
        copyIntoCorner(corner, image);
        Image full = blankImage(textureWidth, textureHeight);
        copyIntoCorner(full, corner);
        record = addImage(table, name, full, 1);
    }
    if (record == nullptr) {
        textureMessage("Loading error", "Couldn't load texture: %s", name, true);
        return nullptr;
    }
    record->hasAlpha = true;
    return record;
}

TextureRecord* loadAlphaJpegSized(TextureTable& table, const char* name, int width, int height, int tileSize,
                                  uint8_t* tiles) {
    if (tiles != nullptr && tileSize > 0)
        std::memset(
            tiles, kTilePartial,
            static_cast<size_t>((width + tileSize - 1) / tileSize) * ((height + tileSize - 1) / tileSize));
    if (TextureRecord* existing = findTexture(table, name)) return existing;
    int textureWidth = nextPowerOfTwo(width), textureHeight = nextPowerOfTwo(height);
    if (textureWidth == 0 || textureHeight == 0) {
        textureMessage("Init error", "Couldn't create texture: %s", name, false);
        return nullptr;
    }
    uint32_t size = 0;
    uint8_t* bytes = loadFile(name, &size, false);
    if (bytes == nullptr) return nullptr;
    AlphaJpegParts parts = splitAlphaJpeg(bytes, size);
    Image image;
    TextureRecord* record = nullptr;
    if (decodeJpeg(bytes, parts.jpegSize, image)) {
        Image corner = blankImage(width, height);
        copyIntoCorner(corner, image);
        Image full = blankImage(textureWidth, textureHeight);
        copyIntoCorner(full, corner);
        // The JPEG part is opaque where it landed; the plane then sets the corner's alpha.
        for (int y = 0; y < height && y < image.height; ++y)
            for (int x = 0; x < width && x < image.width; ++x)
                full.pixels[(static_cast<size_t>(y) * textureWidth + x) * 4 + 3] = 255;
        applyAlphaPlaneToCorner(full, parts.alpha, parts.alphaSize, width, height);
        if (tiles != nullptr && tileSize > 0) classifyTiles(full, width, height, tileSize, tiles);
        record = addImage(table, name, full, 1);
    }
    releaseFile(bytes);
    if (record != nullptr) record->hasAlpha = true;
    return record;
}

TextureRecord* createTexture(TextureTable& table, const char* name, int width, int height, int32_t format,
                             bool renderTarget) {
    if (TextureRecord* existing = findTexture(table, name)) return existing;
    TextureRecord* record = nullptr;
    if (table.count < kTextureCapacity) {
        GpuTexture texture = gpuCreateTexture(width, height, nullptr, 1);
        if (texture != 0) {
            record = addRecord(table, name, width, height, texture);
            if (record == nullptr) gpuReleaseTexture(texture);
        }
    }
    if (record == nullptr) {
        textureMessage("Init error", "Couldn't create texture: %s", name, false);
        return nullptr;
    }
    record->format = format;
    record->renderTarget = renderTarget;
    return record;
}

TextureRecord* copyTexture(TextureTable& table, const char* newName, const char* sourceName, int width,
                           int height) {
    if (TextureRecord* existing = findTexture(table, newName)) return existing;
    TextureRecord* source = loadTexture(table, sourceName, true, true);
    if (source == nullptr) return nullptr;
    Image pixels;
    TextureRecord* record = nullptr;
    if (readPixels(source, pixels)) {
        int w = width < 0 ? source->width : width, h = height < 0 ? source->height : height;
        if (w > 0 && h > 0 && w <= kImageSizeLimit && h <= kImageSizeLimit)
            record = addImage(table, newName, scaleImage(pixels, w, h), 1);
    }
    if (record == nullptr) {
        textureMessage("Init error", "Couldn't create texture: %s", newName, false);
        return nullptr;
    }
    record->hasAlpha = true;
    return record;
}

TextureRecord* maskedCopy(TextureTable& table, const char* newName, const char* sourceName,
                          const char* maskName) {
    if (TextureRecord* existing = findTexture(table, newName)) return existing;
    TextureRecord* copy = copyTexture(table, newName, sourceName, -1, -1);
    TextureRecord* mask = loadTexture(table, maskName);
    if (copy == nullptr || mask == nullptr) return copy;
    Image target, maskPixels;
    if (!readPixels(copy, target) || !readPixels(mask, maskPixels)) return copy;
    // Texel i takes the blue byte of mask texel i; a smaller mask covers only its own texels.
    size_t texels = target.pixels.size() / 4, maskTexels = maskPixels.pixels.size() / 4;
    size_t count = texels < maskTexels ? texels : maskTexels;
    for (size_t i = 0; i < count; ++i) target.pixels[i * 4 + 3] = maskPixels.pixels[i * 4];
    gpuUpdateTexture(copy->texture, target.width, target.height, target.pixels.data());
    return copy;
}

void releaseTexture(TextureTable& table, TextureRecord* record) {
    for (int i = 0; i < table.count; ++i) {
        if (table.order[i] != record) continue;
        gpuReleaseTexture(record->texture);
        *record = TextureRecord{};
        for (int j = i; j + 1 < table.count; ++j) table.order[j] = table.order[j + 1];
        table.order[--table.count] = nullptr;
        return;
    }
}

bool releaseTextureByName(TextureTable& table, const char* name) {
    TextureRecord* record = findTexture(table, name);
    if (record == nullptr) return false;
    releaseTexture(table, record);
    return true;
}

void releaseAllTextures(TextureTable& table) {
    while (table.count > 0) releaseTexture(table, table.order[table.count - 1]);
}

TextureRecord* loadTexture(const char* name, bool fatal, bool forceAlpha, int mipLevels) {
    return loadTexture(textureTable, name, fatal, forceAlpha, mipLevels);
}
TextureRecord* loadAlphaJpeg(const char* name, bool fatal) {
    return loadAlphaJpeg(textureTable, name, fatal);
}
TextureRecord* loadImageSized(const char* name, int width, int height) {
    return loadImageSized(textureTable, name, width, height);
}
TextureRecord* loadAlphaJpegSized(const char* name, int width, int height, int tileSize, uint8_t* tiles) {
    return loadAlphaJpegSized(textureTable, name, width, height, tileSize, tiles);
}
TextureRecord* createTexture(const char* name, int width, int height, int32_t format, bool renderTarget) {
    return createTexture(textureTable, name, width, height, format, renderTarget);
}
TextureRecord* copyTexture(const char* newName, const char* sourceName, int width, int height) {
    return copyTexture(textureTable, newName, sourceName, width, height);
}
TextureRecord* maskedCopy(const char* newName, const char* sourceName, const char* maskName) {
    return maskedCopy(textureTable, newName, sourceName, maskName);
}
void releaseTexture(TextureRecord* record) {
    releaseTexture(textureTable, record);
}
bool releaseTextureByName(const char* name) {
    return releaseTextureByName(textureTable, name);
}
