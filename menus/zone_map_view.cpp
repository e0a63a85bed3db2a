#include "menus/zone_map_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/draw.h"
#include "app/textures.h"
#include "core/profile.h"
#include "menus/menu_draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "menus/zone_map.h"
#include "presentation/particles.h"
#include "presentation/text.h"

namespace {

constexpr float kDepth = 10;
constexpr float kIconSide = 129, kSlotHalf = 64, kMedallionSide = 256;
constexpr int kPictureCount = 5;

struct CollectionImages {
    TextureRecord* artefacts[kZoneCount];     // "artefacts/a1.jpg" .. "a10.jpg"
    TextureRecord* pictures[kPictureCount];   // "artefacts/d1.jpg" .. "d5.jpg"
    TextureRecord* covers[kCoverPieces + 1];  // 0 "zaglushka.jpg", n "cover<n>.tga": n pieces open
    TextureRecord* back;                      // "back.jpg"
    TextureRecord* next;                      // "vopros2.jpg"
    TextureRecord* seals[kZoneCount];         // "seal1.tga" .. "seal10.tga": each zone's closed seal
    TextureRecord* glow;                      // "podsvet.jpg", behind the seal of the zone to play
};
CollectionImages images;

uint32_t white(int alpha = 255) {
    return argb(255, 255, 255, alpha);
}

void drawImage(TextureRecord* texture, float x, float y, float side, uint32_t colour = 0xFFFFFFFF) {
    if (texture == nullptr) return;
    bindTexture(texture);
    drawQuadCentred(x, y, side, side, kWholeTexture, colour, kDepth);
}

TextureRecord* artefact(int zone) {
    return zone >= 0 && zone < kZoneCount ? images.artefacts[zone] : nullptr;
}

TextureRecord* cover(int open) {
    return open >= 0 && open <= kCoverPieces ? images.covers[open] : images.covers[0];
}

// The picture at the right, changing every three levels; while the pieces open on
// the level that changes it, the old one gives way to the new one.
void drawRightPicture(const ZoneMap& map) {
    const CollectionState& c = map.collection;
    const int now = rightPicture(map.level);
    auto draw = [](TextureRecord* t, int alpha) {
        if (t == nullptr) return;
        bindTexture(t);
        // Inside its frame on the map, clear of the screen's right edge.
        drawQuadPixels(584, 200, 788, 404, kWholeTexture, white(alpha));
    };
    if (c.pieceActive && rightPictureChanged(map.level)) {
        draw(images.pictures[rightPicture(map.level - 1)], blinkAlpha(c.pieceTimer));
        draw(images.pictures[now], blinkAlphaInverse(c.pieceTimer));
    } else {
        draw(images.pictures[now], 255);
    }
}

// A zone not yet reached shows its own seal, dimmed; the zone to play shows its seal
// at full light with a slow warm glow behind it.
void drawSeal(int zone, bool next, int alpha) {
    const float x = kZoneCentres[zone].x, y = kZoneCentres[zone].y;
    if (next && images.glow != nullptr) {
        const float pulse = 0.75f + 0.25f * std::sin(animationClock * 0.003f);
        const int level = static_cast<int>(255 * pulse * static_cast<float>(alpha) / 255.0f);
        bindTexture(images.glow);
        setBlend(1);
        drawQuadCentred(x, y, 180, 180, kWholeTexture, argb(level, level * 4 / 5, level / 2, 255), kDepth);
        setBlend(0);
    }
    const int grey = next ? 255 : 170;
    bindTexture(images.seals[zone]);
    drawQuadCentred(x, y, kIconSide, kIconSide, kWholeTexture, argb(grey, grey, grey, alpha), kDepth);
}

void drawZoneIcons(const ZoneMap& map, const Profile& p) {
    const int finished = zonesFinished(p, p.mode);
    const int flying = quelmarInFlight(map, p);
    const CollectionState& c = map.collection;
    for (int i = 0; i < kZoneCount; ++i) {
        const float x = kZoneCentres[i].x, y = kZoneCentres[i].y;
        if (i == flying) {
            drawImage(images.next, x, y, kIconSide);
        } else if (i < finished) {
            drawImage(artefact(i), x, y, kIconSide);
        } else if (i == finished && flying < 0) {
            if (c.iconFade) {
                drawSeal(i, false, 255);
                drawSeal(i, true, static_cast<int>(255 * (1 - c.iconFadeLeft / kIconFadeMs)));
            } else {
                drawSeal(i, true, 255);
            }
        } else {
            drawSeal(i, false, 255);
        }
    }
}

void drawMedallion(const ZoneMap& map, const Profile& p) {
    const CollectionState& c = map.collection;
    const MedallionView view = medallionView(map, p);
    drawImage(artefact(view.artefact), kMedallionX, kMedallionY, kMedallionSide);
    if (!view.cover) return;
    drawImage(cover(c.openNow), kMedallionX, kMedallionY, kMedallionSide);
    if (c.pieceActive && c.openNow >= 1)
        drawImage(cover(c.openBefore), kMedallionX, kMedallionY, kMedallionSide,
                  white(blinkAlpha(c.pieceTimer)));
}

// The stage's title and story, centred in the panel under the medallion: the lines
// are centred (a left-aligned line starts where its first letter is centred, which
// pushes a line that begins with a narrow letter to the right), and the whole block
// sits in the middle of the panel at a size that fills it.
void drawStagePanel(const ZoneMap& map, const Profile& p) {
    constexpr float kPanelX = -100, kPanelY = -222, kPanelHeight = 148, kTextWidth = 248, kTitleSize = 14;
    constexpr float kTitleHeight = 26, kBorder = 14;  // the panel's band on each side
    const StagePanelView view = stagePanelView(map, p);
    menuDrawPanel(kPanelX, kPanelY, 276, kPanelHeight);
    char key[24];
    if (view.zone >= 0)
        std::snprintf(key, sizeof key, "stage%i", view.zone);
    else
        std::snprintf(key, sizeof key, "lock");
    const bool title = view.title && view.zone >= 0;
    menuSetFont(0);
    textPen.lineSpacing = 0.75f;
    // The largest size at which title and story fit inside the band, never below 11;
    // the block's top stays under the band, clear of the panel's top ornament.
    float size = 13, textHeight = 0;
    for (; size > 11; size -= 1) {
        textHeight = menuWrapHeight(menuText(key), kTextWidth, size);
        if ((title ? kTitleHeight : 0) + textHeight <= kPanelHeight - 2 * kBorder) break;
    }
    textHeight = menuWrapHeight(menuText(key), kTextWidth, size);
    const float line = 2 * textPen.lineSpacing * size;
    const float top = std::min(kPanelY + ((title ? kTitleHeight : 0) + textHeight) / 2,
                               kPanelY + kPanelHeight / 2 - kBorder - 4);
    if (title) {
        char titleKey[24];
        std::snprintf(titleKey, sizeof titleKey, "stagetitle%i", view.zone);
        menuSetFont(1);
        menuDrawText(menuText(titleKey), kPanelX, top - kTitleHeight / 2, kTitleSize, argb(255, 255, 0),
                     true);
        menuSetFont(0);
    }
    menuDrawWrapped(menuText(key), kPanelX, top - (title ? kTitleHeight : 0) - line / 2, kTextWidth, size,
                    kWhite, true);
    textPen.lineSpacing = 0.9f;
}

void drawPlayerBlock(const ZoneMap& map, const Profile& p) {
    const int mode = p.mode ? 1 : 0;
    char line[96];
    menuSetFont(0);
    menuDrawText(menuText(mode == 0 ? "classicmode2" : "timelessmode2"), 220, 260, 11, kWhite, false);
    std::snprintf(line, sizeof line, "%s: %s", menuText("name"), p.name);
    menuDrawText(line, 220, 240, 11, kWhite, false);
    std::snprintf(line, sizeof line, "%s: %i", menuText("score"), static_cast<int>(p.score[mode]));
    menuDrawText(line, 220, 220, 11, kWhite, false);
    if (map.zone >= kAllZonesDone) return;
    std::snprintf(line, sizeof line, "%s: %i", menuText("level"), map.level + 1);
    menuDrawText(line, 220, 200, 11, kWhite, false);
    std::snprintf(line, sizeof line, "%s: %i", menuText("stage"), map.zone + 1);
    menuDrawText(line, 220, 180, 11, kWhite, false);
}

// The finished quelmar rising from the medallion, presented in its frame, then flying
// to its zone.
void drawCollection(const ZoneMap& map, const Profile& p) {
    const CollectionState& c = map.collection;
    if (!c.active) return;
    const int zone = quelmarInFlight(map, p);
    if (zone < 0) return;
    const QuelmarPose pose = collectionPose(c, kZoneCentres[zone].x, kZoneCentres[zone].y);
    if (pose.frameSide > 0) drawWindowCentred(pose.x, pose.y, pose.frameSide, pose.frameSide);
    drawImage(artefact(zone), pose.x, pose.y, pose.side);
}

}  // namespace

void loadCollectionImages() {
    char name[64];
    for (int i = 0; i < kZoneCount; ++i) {
        std::snprintf(name, sizeof name, "artefacts/a%i.jpg", i + 1);
        images.artefacts[i] = loadTexture(name);
    }
    for (int i = 0; i < kPictureCount; ++i) {
        std::snprintf(name, sizeof name, "artefacts/d%i.jpg", i + 1);
        images.pictures[i] = loadTexture(name);
    }
    images.back = loadTexture("back.jpg");
    images.next = loadTexture("vopros2.jpg");
    images.glow = loadTexture("podsvet.jpg");
    for (int i = 0; i < kZoneCount; ++i) {
        std::snprintf(name, sizeof name, "seal%i.tga", i + 1);
        images.seals[i] = loadTexture(name);
    }
    images.covers[0] = loadTexture("zaglushka.jpg");
    // Cover n: the closed cover whose alpha comes from mask n, opaque where pieces are
    // still closed. The masks are not needed once the covers are made.
    for (int n = 1; n <= kCoverPieces; ++n) {
        char mask[32];
        std::snprintf(mask, sizeof mask, "mask/%i.tga", n);
        std::snprintf(name, sizeof name, "cover%i.tga", n);
        images.covers[n] = maskedCopy(name, "zaglushka.jpg", mask);
        releaseTextureByName(mask);
    }
    attachZoneMapRoutines();
}

void drawZoneMapScene(float dt) {
    const Profile& p = *gameProfile;
    updateZoneMap(zoneMap, p, dt);
    begin2D();
    if (images.back != nullptr) {
        bindTexture(images.back);
        drawQuadCentred(0, 0, 800, 600, kWholeTexture, kWhite, kDepth);
    }
    drawRightPicture(zoneMap);
    drawZoneIcons(zoneMap, p);
    drawMedallion(zoneMap, p);
    updateAndDrawEffects(0);
    drawStagePanel(zoneMap, p);
    drawPlayerBlock(zoneMap, p);
    drawCollection(zoneMap, p);
}

void drawZoneMapNode(MenuNode&) {
    MenuSystem& m = menuSystem;
    const CollectionState& c = zoneMap.collection;
    // While a quelmar opens or flies the map stays fully shown.
    const float fade = collectionAnimating(c) ? 0.0f : m.fadeProgress;
    // The zone slots come first, so a slot's control index is its zone.
    for (int i = 0; i < kZoneCount; ++i) {
        const float x = kZoneCentres[i].x, y = kZoneCentres[i].y;
        addMenuControl(
            {x - kSlotHalf, y + kSlotHalf, x + kSlotHalf, y - kSlotHalf, kControlZoneSlot, 0, 0, 0});
    }
    menuSetFont(1);
    drawButton(300, -180 - 100 * fade, 160, 86, 18, collectionHolding(c) ? menuText("continue1") : nullptr);
    drawButton(300, -250 - 100 * fade, 160, 64, 18, nullptr);
    if (!c.active) drawControlGlow(true);
}

void attachZoneMapRoutines() {
    for (const char* name : {"adventure", "puzzle"})
        if (MenuNode* node = findMenuNode(menuTable, name)) node->draw = drawZoneMapNode;
}

bool pressZoneSlotAtCursor() {
    float x = 0, y = 0;
    cursorInMenuSpace(&x, &y);
    for (int i = 0; i < widgetRegistry.controlCount && i < kZoneCount; ++i) {
        const MenuControl& s = widgetRegistry.controls[i];
        if (s.kind != kControlZoneSlot || x < s.left || x > s.right || y > s.top || y < s.bottom) continue;
        return pressZoneSlot(zoneMap, *gameProfile, i);
    }
    return false;
}
