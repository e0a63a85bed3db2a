#pragma once
// The texture table: every image the game shows becomes a GPU texture here, once per
// requested name, and is shared by all its users. Images come from loadFile, so packed
// and loose images are treated alike.
#include <cstdint>

#include "platform/gpu.h"

constexpr int kTextureCapacity = 1023;
constexpr int kTextureNameCapacity = 128;
constexpr int32_t kFormatArgb32 = 21;  // the texel format with alpha; every texture is stored so

struct TextureRecord {
    char name[kTextureNameCapacity];  // as requested: exact, case-sensitive
    int32_t width, height;            // texels of the top level
    GpuTexture texture;
    bool hasAlpha;
    bool renderTarget;
    int32_t format;  // the requested format of textures created empty
    bool inUse;      // the slot holds a live record
};

// Records live in fixed slots, so pointers held by callers stay valid until the record
// is released; order lists them in creation order (removal shifts later ones down).
// When all 1023 slots are taken, loads fail as for a missing image and createTexture
// reports the table full.
struct TextureTable {
    TextureRecord slots[kTextureCapacity];
    TextureRecord* order[kTextureCapacity];
    int count;
};

extern TextureTable textureTable;  // the program's one table, main thread only

TextureRecord* findTexture(TextureTable& table, const char* name);  // exact name, or null

// The standard way to get an image. A ".tga" name is replaced by the alpha JPEG
// "_a_NAME.jpg" when one exists. A missing or undecodable image with fatal set shows
// "Couldn't load texture: %s" and ends the program; otherwise null.
TextureRecord* loadTexture(TextureTable& table, const char* name, bool fatal = true, bool forceAlpha = false,
                           int mipLevels = 2);
TextureRecord* loadTexture(const char* name, bool fatal = true, bool forceAlpha = false, int mipLevels = 2);

// A JPEG followed by its alpha plane. Missing file: null. Undecodable with fatal set:
// "Can't load texture: %s" and the end of the program.
TextureRecord* loadAlphaJpeg(TextureTable& table, const char* name, bool fatal);
TextureRecord* loadAlphaJpeg(const char* name, bool fatal);

// The image unscaled in the top-left width x height corner of a power-of-two texture
// (the visible part is the texture rectangle 0, 0, width / texture width, height /
// texture height). A missing file is fatal.
TextureRecord* loadImageSized(TextureTable& table, const char* name, int width, int height);
TextureRecord* loadImageSized(const char* name, int width, int height);

// As loadImageSized for an alpha JPEG; a missing file gives null without a message.
// With tiles, also how much the picture's alpha covers each square tile of tileSize
// texels (classifyTiles), when this call decodes it; for a texture that already
// existed every tile is written as partial.
TextureRecord* loadAlphaJpegSized(TextureTable& table, const char* name, int width, int height,
                                  int tileSize = 0, uint8_t* tiles = nullptr);
TextureRecord* loadAlphaJpegSized(const char* name, int width, int height, int tileSize = 0,
                                  uint8_t* tiles = nullptr);

// An empty one-level texture. Failure or a full table shows "Couldn't create texture: %s"
// ("Init error") and gives null; the program goes on.
TextureRecord* createTexture(TextureTable& table, const char* name, int width, int height, int32_t format,
                             bool renderTarget);
TextureRecord* createTexture(const char* name, int width, int height, int32_t format, bool renderTarget);

// A copy of the source image (loaded with forced alpha) at width x height (-1: the
// source's size), resampled.
TextureRecord* copyTexture(TextureTable& table, const char* newName, const char* sourceName, int width,
                           int height);
TextureRecord* copyTexture(const char* newName, const char* sourceName, int width, int height);

// A copy of the source whose alpha is the mask image's blue channel, texel for texel.
TextureRecord* maskedCopy(TextureTable& table, const char* newName, const char* sourceName,
                          const char* maskName);
TextureRecord* maskedCopy(const char* newName, const char* sourceName, const char* maskName);

void releaseTexture(TextureTable& table, TextureRecord* record);
void releaseTexture(TextureRecord* record);
bool releaseTextureByName(TextureTable& table, const char* name);
bool releaseTextureByName(const char* name);
void releaseAllTextures(TextureTable& table);  // shut-down, with the device
