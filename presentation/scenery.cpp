// Living backgrounds: backs, scenery elements, droplets, leaves, tint and transition.
#include "presentation/scenery.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/random.h"
#include "presentation/scenery_file.h"
#include "resources/files.h"
#include "resources/image.h"

SceneryState scenery = {nullptr, -1, 0,  nullptr, {},           {},           -1, 0, {}, {},
                        {},      0,  {}, 0,       {1, 1, 1, 1}, {1, 1, 1, 1}, 1,  0, 0};

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kPictureU = 800.0f / 1024.0f;
constexpr float kPictureV = 600.0f / 1024.0f;
constexpr float kTintEase = 0.0015f;     // per ms
constexpr float kDropletLife = 2000.0f;  // ms
constexpr float kSprayRate = 300000.0f;  // area units x ms between droplets
constexpr float kLeafPhaseStep = 400.0f;

const float kTints[4][4] = {{0.7f, 0.7f, 1, 1}, {1, 0.7f, 0.7f, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 1}};

void scenePath(char* out, size_t capacity, int index) {
    std::snprintf(out, capacity, "AnimBacks/level%i.lev", index);
}

TextureRecord* loadPicture(int index, PictureCover& cover) {
    char name[64];
    std::snprintf(name, sizeof name, "AnimBacks/_a_back%i.jpg", index);
    return loadAlphaJpegSized(name, 800, 600, kCoverTile, &cover.tiles[0][0]);
}

uint8_t coverAt(const PictureCover& cover, int row, int column) {
    if (row < 0 || row >= kCoverRows || column < 0 || column >= kCoverColumns) return kTilePartial;
    return cover.tiles[row][column];
}

// The rectangle x0..x1, y0..y1 (menu space) of a quad whose texture window is r (s0 at
// the left, t0 at the top): the window of a part of it.
TextureRect windowOfPart(const TextureRect& r, float x0, float y0, float x1, float y1, float px0, float py0,
                         float px1, float py1) {
    const double ds = static_cast<double>(r.s1) - r.s0, dt = static_cast<double>(r.t1) - r.t0;
    const double w = static_cast<double>(x1) - x0, h = static_cast<double>(y1) - y0;
    return {static_cast<float>(r.s0 + ds * (px0 - x0) / w), static_cast<float>(r.t0 + dt * (y1 - py1) / h),
            static_cast<float>(r.s0 + ds * (px1 - x0) / w), static_cast<float>(r.t0 + dt * (y1 - py0) / h)};
}

constexpr uint8_t kOverClear = 1 << kTileClear, kOverPartial = 1 << kTilePartial,
                  kOverOpaque = 1 << kTileOpaque;

// Draws the parts of an upright quad (x0..x1, y0..y1, texture window r) that lie over
// tiles of the picture whose cover is among `over` (kOver... bits), in runs along each row
// of tiles; beyond the picture the tiles count as partial.
void drawOverTiles(const PictureCover& cover, uint8_t over, float x0, float y0, float x1, float y1,
                   const TextureRect& r, uint32_t colour) {
    const auto drawn = [&](int row, int column) { return (over >> coverAt(cover, row, column) & 1) != 0; };
    if (!(x1 > x0) || !(y1 > y0)) return;
    const auto tileOf = [](float v) { return static_cast<int>(std::floor(v / kCoverTile)); };
    const int firstRow = tileOf(300 - y1), lastRow = tileOf(300 - y0 - 0.001f);
    const int firstColumn = tileOf(x0 + 400), lastColumn = tileOf(x1 + 400 - 0.001f);
    for (int row = firstRow; row <= lastRow; ++row) {
        const float top = std::min(y1, 300.0f - static_cast<float>(row * kCoverTile));
        const float bottom = std::max(y0, 300.0f - static_cast<float>((row + 1) * kCoverTile));
        for (int column = firstColumn; column <= lastColumn;) {
            if (!drawn(row, column)) {
                ++column;
                continue;
            }
            int end = column;
            while (end + 1 <= lastColumn && drawn(row, end + 1)) ++end;
            const float left = std::max(x0, static_cast<float>(column * kCoverTile) - 400);
            const float right = std::min(x1, static_cast<float>((end + 1) * kCoverTile) - 400);
            drawQuadRect(left, top, right, bottom, windowOfPart(r, x0, y0, x1, y1, left, bottom, right, top),
                         colour, 10);
            column = end + 1;
        }
    }
}

void releasePicture(SceneryState& s, TextureRecord* p) {
    // The same record may sit in both slots when a back follows itself.
    if (p != nullptr && p != s.picture && p != s.incomingPicture) releaseTexture(p);
}

uint32_t greyColour(int g, int alpha = 255) {
    const uint32_t v = static_cast<uint32_t>(g < 0 ? 0 : g > 255 ? 255 : g);
    const uint32_t a = static_cast<uint32_t>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    return a << 24 | v << 16 | v << 8 | v;
}

TextureRect mirroredRect(TextureRect r, bool mirrored) {
    if (mirrored) {
        const float t = r.s0;
        r.s0 = r.s1;
        r.s1 = t;
    }
    return r;
}

// The texture window of a sky, fall or water element at clock t.
TextureRect elementWindow(const SceneryElement& e, float t) {
    const TextureRecord* tex = e.texture;
    const float tw = tex->width > 0 ? static_cast<float>(tex->width) : 1.0f;
    const float th = tex->height > 0 ? static_cast<float>(tex->height) : 1.0f;
    const float w = e.x1 - e.x0, h = e.y1 - e.y0;
    switch (e.kind) {
        case SceneryKind::Sky: {
            const float width = h > 0 ? w / h * (th / tw) : 1.0f;
            const float u = std::fmod(-0.000003f * t, 1.0f);
            return {u, 0, u + width, 1};
        }
        case SceneryKind::Waterfall:
        case SceneryKind::Water: {
            const float k = e.kind == SceneryKind::Water ? 0.2f : 1.0f;
            // Offsets wrap at whole textures so they keep their precision on long runs.
            const float u = std::fmod(-e.vx * t * 0.00001f * k, 1.0f);
            const float v = std::fmod(-e.vy * t * 0.00001f * k, 1.0f);
            return {u, v, u + w / tw, v + h / th};
        }
        default:
            return kWholeTexture;
    }
}

void drawElement(const SceneryElement& e, const TextureRect& window, uint32_t colour) {
    bindTexture(e.texture);
    const float cx = (e.x0 + e.x1) / 2, cy = (e.y0 + e.y1) / 2;
    drawQuadRotated(cx, cy, {cx, cy}, e.rotation, e.x1 - e.x0, e.y1 - e.y0,
                    mirroredRect(window, e.mirrored != 0), colour, 10);
}

// An element behind a picture drawn fully opaque where its cover says so: only its parts
// over tiles that are not opaque, and without blending when its own texels and colour
// are opaque (the same pixels, for less work).
void drawElementBehind(const SceneryElement& e, const TextureRect& window, uint32_t colour,
                       const PictureCover* cover) {
    const bool opaque = !e.texture->hasAlpha && colour >> 24 == 255 && drawState.colourMultiplier[3] >= 1.0f;
    if (opaque) disable(kStateAlphaBlend);
    if (cover == nullptr || e.rotation != 0.0f) {
        drawElement(e, window, colour);
    } else {
        bindTexture(e.texture);
        drawOverTiles(*cover, kOverClear | kOverPartial, e.x0, e.y0, e.x1, e.y1,
                      mirroredRect(window, e.mirrored != 0), colour);
    }
    if (opaque) enable(kStateAlphaBlend);
}

// The picture over the whole screen: with its cover known and nothing making it see-
// through, its clear tiles are left out and its opaque tiles drawn without blending.
void drawPicture(TextureRecord* picture, const PictureCover* cover) {
    constexpr TextureRect kPicture = {0, 0, kPictureU, kPictureV};
    bindTexture(picture);
    if (cover == nullptr) {
        drawQuadRect(-400, 300, 400, -300, kPicture, 0xFFFFFFFF, 10);
        return;
    }
    disable(kStateAlphaBlend);
    drawOverTiles(*cover, kOverOpaque, -400, -300, 400, 300, kPicture, 0xFFFFFFFF);
    enable(kStateAlphaBlend);
    drawOverTiles(*cover, kOverPartial, -400, -300, 400, 300, kPicture, 0xFFFFFFFF);
}

void queueLeaf(SceneryState& s, const SceneryElement& e, float phase) {
    if (s.leafCount >= kLeafQueueCapacity) return;
    const float strength = std::sqrt(e.vx * e.vx + e.vy * e.vy);
    const int g = 255 - static_cast<int>(strength);
    float r = e.rotation;
    if (e.kind == SceneryKind::Leaves1)
        r += 0.5f * std::sin(0.003f * phase) + 0.2f * std::sin(0.0043f * phase);
    else if (e.kind == SceneryKind::Leaves2)
        r += 0.18f * std::sin(0.004f * phase) + 0.11f * std::sin(0.0024f * phase);
    else
        r += 0.6f * std::sin(0.0022f * phase) + 0.24f * std::sin(0.0038f * phase);
    const float w = e.x1 - e.x0, h = e.y1 - e.y0;
    const float cx = (e.x0 + e.x1) / 2, cy = (e.y0 + e.y1) / 2;
    LeafQuad& q = s.leaves[s.leafCount++];
    q.x = cx;
    q.y = cy;
    // Branches hang from their trunk side: the turn is about the middle of that edge.
    q.pivot = {e.mirrored ? cx + w / 2 : cx - w / 2, cy};
    q.rotation = r;
    q.width = w;
    q.height = h;
    q.colour = greyColour(g);
    q.texture = e.texture;
    q.mirrored = e.mirrored;
}

// One back: elements behind the picture, the picture, the elements over it, then (for
// the current back) the droplets, and the swaying leaves last.
void drawBack(SceneryState& s, SceneryList& list, TextureRecord* picture, const PictureCover& pictureCover,
              float earlyAlpha, bool nearest, bool withDroplets) {
    const float t = s.clock;
    // The cover holds while the picture is drawn as it is; seen through (the incoming
    // back fading in) everything behind it shows.
    const PictureCover* cover =
        picture != nullptr && drawState.colourMultiplier[3] >= 1.0f ? &pictureCover : nullptr;
    s.leafCount = 0;
    setBlend(0);
    enable(kStateAlphaBlend);
    disable(kStateAlphaTest);
    enable(kStateFiltering);
    const uint32_t earlyColour = greyColour(255, static_cast<int>(255 * earlyAlpha));
    float leavesPhase = 0;
    for (int i = 0; i < list.count; ++i) {
        SceneryElement& e = list.elements[i];
        e.drawnEarly = 0;
        switch (e.kind) {
            case SceneryKind::Spray:
                e.drawnEarly = 1;  // its droplets stand for it
                continue;
            case SceneryKind::Leaves:
            case SceneryKind::Leaves1:
            case SceneryKind::Leaves2:
                e.drawnEarly = 1;
                if (e.texture != nullptr) queueLeaf(s, e, leavesPhase + e.phase);
                leavesPhase += kLeafPhaseStep;  // successive branches swing out of step
                continue;
            default:
                break;
        }
        const bool flowing =
            e.kind == SceneryKind::Sky || e.kind == SceneryKind::Waterfall || e.kind == SceneryKind::Water;
        if (!flowing && e.early == 0) continue;
        e.drawnEarly = 1;
        if (e.texture != nullptr) drawElementBehind(e, elementWindow(e, t), earlyColour, cover);
    }
    if (picture != nullptr) {
        if (nearest) disable(kStateFiltering);
        drawPicture(picture, cover);
        enable(kStateFiltering);
    }
    for (int i = 0; i < list.count; ++i) {
        const SceneryElement& e = list.elements[i];
        if (e.drawnEarly || e.texture == nullptr) continue;
        drawElement(e, kWholeTexture, e.colour);
    }
    if (withDroplets) {
        setBlend(1);
        disable(kStateDepthWrite);
        for (const Droplet& d : s.droplets) {
            if (d.life <= 0 || d.texture == nullptr) continue;
            const float k = std::sin(d.life / kDropletLife * kPi);
            const float half = (kDropletLife - d.life) * 0.011f + 15;
            bindTexture(d.texture);
            drawQuadCentred(d.x, d.y + 8 * k * k, 2 * half, 2 * half, kWholeTexture,
                            greyColour(static_cast<int>(255 * k)), 10);
        }
        setBlend(0);
    }
    for (int i = 0; i < s.leafCount; ++i) {
        const LeafQuad& q = s.leaves[i];
        bindTexture(q.texture);
        drawQuadRotated(q.x, q.y, q.pivot, q.rotation, q.width, q.height,
                        mirroredRect(kWholeTexture, q.mirrored), q.colour, 10);
    }
}

void applyTint(const SceneryState& s, float alpha) {
    for (int c = 0; c < 3; ++c) drawState.colourMultiplier[c] = s.tint[c] * s.menuDim;
    drawState.colourMultiplier[3] = s.menuDim < 1 ? alpha : s.tint[3] * alpha;
}

void whiteTint() {
    for (float& c : drawState.colourMultiplier) c = 1;
}

// Droplets belong to the spray of the back they were born on.
void dropDroplets(SceneryState& s) {
    for (Droplet& d : s.droplets) d.life = 0;
}

void advanceElements(SceneryList& list, float dt) {
    for (int i = 0; i < list.count; ++i) {
        SceneryElement& e = list.elements[i];
        if (e.kind == SceneryKind::Spray || e.kind == SceneryKind::Leaves || e.kind == SceneryKind::Leaves1 ||
            e.kind == SceneryKind::Leaves2)
            e.phase += dt;
    }
}

}  // namespace

SceneryKind sceneryKindOf(const char* name) {
    if (std::strstr(name, "sky")) return SceneryKind::Sky;
    if (std::strstr(name, "waterfall")) return SceneryKind::Waterfall;
    if (std::strstr(name, "water")) return SceneryKind::Water;
    if (std::strstr(name, "spray")) return SceneryKind::Spray;
    if (std::strstr(name, "leaves1")) return SceneryKind::Leaves1;
    if (std::strstr(name, "leaves2")) return SceneryKind::Leaves2;
    if (std::strstr(name, "leaves")) return SceneryKind::Leaves;
    return SceneryKind::Decoration;
}

int clampBackIndex(int index) {
    return index >= 0 && index < kBackCount ? index : 0;
}

void fillSceneList(SceneryList& list, int index, const uint8_t* data, size_t size,
                   const GameObjectTable& objects, bool randomPhases) {
    list.count = 0;
    list.index = index;
    SceneEntry entries[kSceneryElementCapacity];
    const int n = parseSceneFile(data, size, entries, kSceneryElementCapacity);
    for (int i = 0; i < n; ++i) {
        const SceneEntry& in = entries[i];
        const GameObject* object = findGameObject(objects, in.name);
        if (object == nullptr) continue;  // a name no object carries has nothing to draw
        SceneryElement& e = list.elements[list.count++];
        e.object = object;
        e.texture = object->texture;
        e.x0 = in.x0;
        e.y0 = in.y0;
        e.x1 = in.x1;
        e.y1 = in.y1;
        e.rotation = in.rotation;
        e.vx = in.vx;
        e.vy = in.vy;
        e.mirrored = in.mirrored;
        e.early = in.early;
        e.colour = 0xFFFFFFFF;
        e.phase = randomPhases ? randomUnit(lookRandom, 500.0f) : 0.0f;
        e.drawnEarly = 0;
        e.kind = sceneryKindOf(object->name);
    }
}

void loadSceneList(SceneryList& list, int index, const GameObjectTable& objects, bool randomPhases) {
    char path[64];
    scenePath(path, sizeof path, index);
    uint32_t size = 0;
    const uint8_t* data = loadFile(path, &size, false);
    fillSceneList(list, index, data, data != nullptr ? size : 0, objects, randomPhases);
}

void resetScenery(SceneryState& s) {
    if (s.picture != nullptr) releaseTexture(s.picture);
    if (s.incomingPicture != nullptr && s.incomingPicture != s.picture) releaseTexture(s.incomingPicture);
    std::memset(&s, 0, sizeof s);
    s.backIndex = -1;
    s.incomingIndex = -1;
    s.elements.index = -1;
    s.incomingElements.index = -1;
    s.menuDim = 1;
    for (int c = 0; c < 4; ++c) s.tint[c] = s.tintTarget[c] = 1;
}

void setBack(SceneryState& s, int index) {
    const int i = clampBackIndex(index);
    if (s.picture == nullptr || s.backIndex != i) {
        TextureRecord* old = s.picture;
        TextureRecord* next = nullptr;
        if (s.incomingIndex == i && s.incomingPicture != nullptr) {
            next = s.incomingPicture;
            s.cover = s.incomingCover;
            s.incomingPicture = nullptr;
            s.incomingIndex = -1;
        } else {
            next = loadPicture(i, s.cover);
        }
        s.picture = next;
        releasePicture(s, old);
        dropDroplets(s);
    }
    s.backIndex = i;
    s.transitionClock = 0;
    s.transitionAlpha = 0;
    loadSceneList(s.elements, i, gameObjects, true);
}

void preloadNextBack(SceneryState& s, int index) {
    const int i = clampBackIndex(index);
    if (s.incomingIndex == i && s.incomingPicture != nullptr) return;
    TextureRecord* old = s.incomingPicture;
    if (i == s.backIndex && s.picture != nullptr) {
        s.incomingPicture = s.picture;
        s.incomingCover = s.cover;
    } else {
        s.incomingPicture = loadPicture(i, s.incomingCover);
    }
    s.incomingIndex = i;
    releasePicture(s, old);
}

void beginBackTransition(SceneryState& s, int index) {
    preloadNextBack(s, index);
    loadSceneList(s.incomingElements, s.incomingIndex, gameObjects, false);
    s.transitionClock = kBackTransitionMs;
    s.transitionAlpha = 0;
}

bool backTransitionRunning(const SceneryState& s) {
    return s.transitionClock > 0;
}

void setTintTarget(SceneryState& s, int kind) {
    if (kind < 0 || kind > 3) kind = 2;
    std::memcpy(s.tintTarget, kTints[kind], sizeof s.tintTarget);
}

void setTintNow(SceneryState& s, int kind) {
    setTintTarget(s, kind);
    std::memcpy(s.tint, s.tintTarget, sizeof s.tint);
}

void setTintTargetColour(SceneryState& s, float r, float g, float b, float a) {
    s.tintTarget[0] = r;
    s.tintTarget[1] = g;
    s.tintTarget[2] = b;
    s.tintTarget[3] = a;
}

void setTintForTimeLeft(SceneryState& s, float remainingMs) {
    if (!(remainingMs < 20000.0f)) return;
    if (remainingMs < 0) remainingMs = 0;
    const float k = remainingMs / 20000.0f * 0.5f + 0.5f;
    setTintTargetColour(s, k, k, k, 1);
}

void setSceneryMenuDim(SceneryState& s, bool gameMenuOpen, float fadeProgress) {
    if (!gameMenuOpen) {
        s.menuDim = 1;
        return;
    }
    if (!(fadeProgress >= 0)) fadeProgress = 0;
    if (fadeProgress > 1) fadeProgress = 1;
    s.menuDim = 0.8f + 0.2f * fadeProgress;
}

void updateScenery(SceneryState& s, float dt) {
    if (!(dt >= 0)) dt = 0;
    s.clock += dt;
    // Eases toward the target; a long frame lands on it rather than overshooting.
    float k = kTintEase * dt;
    if (k > 1) k = 1;
    for (int c = 0; c < 4; ++c) s.tint[c] += (s.tintTarget[c] - s.tint[c]) * k;
    advanceElements(s.elements, dt);
    if (backTransitionRunning(s)) advanceElements(s.incomingElements, dt);
    for (Droplet& d : s.droplets)
        if (d.life > 0) d.life = d.life > dt ? d.life - dt : 0;
    if (backTransitionRunning(s)) return;
    for (int i = 0; i < s.elements.count; ++i) {
        SceneryElement& e = s.elements.elements[i];
        if (e.kind != SceneryKind::Spray || e.texture == nullptr) continue;
        const float w = e.x1 - e.x0, h = e.y1 - e.y0;
        const float area = w * h;
        if (!(area > 0) || !(kSprayRate / area < e.phase)) continue;
        e.phase = 0;
        Droplet& d = s.droplets[s.nextDroplet];
        s.nextDroplet = (s.nextDroplet + 1) % kDropletCapacity;
        d.x = (e.x0 + e.x1) / 2 + randomSigned(lookRandom, w / 2);
        d.y = (e.y0 + e.y1) / 2 + randomSigned(lookRandom, h / 2);
        d.life = kDropletLife;
        d.depth = 0;
        d.texture = e.texture;
    }
}

void drawScenery(SceneryState& s) {
    begin2D();
    applyTint(s, 1);
    drawBack(s, s.elements, s.picture, s.cover, 1, true, true);
    whiteTint();
    bindTexture(nullptr);
}

void drawSceneryTransition(SceneryState& s, float dt) {
    if (!(dt >= 0)) dt = 0;
    const float T = s.transitionClock;
    if (T <= 0) {
        drawScenery(s);
        return;
    }
    const float p = 1 - T / kBackTransitionMs;
    s.transitionAlpha = T < kBackFadeMs ? 1 - T / kBackFadeMs : 0;
    begin2D();
    const float scale = 1 + 1.5f * p * p;
    Matrix4 view = translationMatrix(30 * p * p * std::cos(4.712389f * p), 30 * p * p * std::sin(kPi * p), 0);
    Matrix4 zoom = identityMatrix();
    zoom.m[0][0] = zoom.m[1][1] = scale;
    view = multiply(view, zoom);
    setView(&view);
    applyTint(s, 1);
    drawBack(s, s.elements, s.picture, s.cover, 1, false, true);
    setView(nullptr);
    if (T <= kBackFadeMs) {
        const float a = s.transitionAlpha;
        applyTint(s, a);
        // Behind the incoming picture, its sky and water arrive later than the picture.
        drawBack(s, s.incomingElements, s.incomingPicture, s.incomingCover, a * a * a, false, false);
    }
    whiteTint();
    bindTexture(nullptr);
    s.transitionClock = T - dt;
    if (s.transitionClock <= 0) {
        // The incoming back becomes the current one; its scene list is already read.
        s.transitionClock = 0;
        s.transitionAlpha = 0;
        TextureRecord* old = s.picture;
        s.picture = s.incomingPicture;
        s.cover = s.incomingCover;
        s.backIndex = s.incomingIndex;
        s.incomingPicture = nullptr;
        s.incomingIndex = -1;
        releasePicture(s, old);
        s.elements = s.incomingElements;
        dropDroplets(s);
        s.incomingElements.count = 0;
        s.incomingElements.index = -1;
    }
}

void sceneryFrame(float dt, bool gameMenuOpen, float fadeProgress) {
    setSceneryMenuDim(scenery, gameMenuOpen, fadeProgress);
    updateScenery(scenery, dt);
    if (scenery.backgroundMode == kBackgroundMap) return;
    if (backTransitionRunning(scenery))
        drawSceneryTransition(scenery, dt);
    else
        drawScenery(scenery);
}

void setBackgroundMode(int mode) {
    scenery.backgroundMode = mode;
}

void sceneryAnnouncement(const Announcement& what, const GameState& g) {
    switch (what.kind) {
        case Announce::AnimatedBackground:
            if (g.transition) {
                beginBackTransition(scenery, what.value);
            } else {
                setBack(scenery, what.value);
                preloadNextBack(scenery, g.nextAnimBack);
            }
            break;
        case Announce::SceneTint:
            setTintTarget(scenery, what.value);
            break;
        case Announce::ClearPresentation:
            dropDroplets(scenery);
            scenery.leafCount = 0;
            break;
        default:
            break;
    }
}

void sceneryMenuTint(int tint) {
    setTintTarget(scenery, tint == 1 ? 3 : 2);
}

void sceneryMenuBack(int number) {
    if (number != scenery.backIndex || scenery.picture == nullptr) setBack(scenery, number);
}

void loadScenery() {
    loadGameObjects();
    char path[64];
    for (int i = 0; i < kScenesAtStart; ++i) {
        scenePath(path, sizeof path, i);
        loadFile(path, nullptr, false);  // kept in the registry; later reads come from memory
    }
    setBack(scenery, 0);
}
