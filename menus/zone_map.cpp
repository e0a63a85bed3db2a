#include "menus/zone_map.h"

#include <algorithm>

#include "app/persistence.h"
#include "core/profile.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "resources/sound.h"
#include "resources/trace.h"

const ZoneCentre kZoneCentres[kZoneCount] = {{-310, -210}, {-310, -70}, {-310, 70}, {-310, 210}, {-170, 210},
                                             {-30, 210},   {110, 210},  {110, 70},  {110, -70},  {110, -210}};

ZoneMap zoneMap;

namespace {

int modeOf(const Profile& p) {
    return p.mode ? 1 : 0;
}

int levelInZone(const Profile& p) {
    return p.levelInStage[modeOf(p)];
}

const char* mapNodeName(int mode) {
    return mode == 0 ? "adventure" : "puzzle";
}

int furthestLevelOf(const Profile& p, int mode) {
    return levelNumberOf(p.furthestStage[mode], p.furthestLevelInStage[mode]);
}

void placeOnPosition(ZoneMap& map, const Profile& p) {
    const int mode = modeOf(p);
    map.zone = positionZone(p, mode);
    map.level = positionLevel(p, mode);
}

// A fade-out started by choosing an item that then did nothing: the map stays shown.
void keepMapShown() {
    MenuSystem& m = menuSystem;
    m.fadeOut = false;
    m.activateOnFadeEnd = false;
    m.fadeProgress = 0;
    m.slideOffset = 0;
}

}  // namespace

int zonesFinished(const Profile& p, int mode) {
    return std::clamp(static_cast<int>(p.furthestStage[mode & 1]), 0, kAllZonesDone);
}

int positionZone(const Profile& p, int mode) {
    return std::clamp(static_cast<int>(p.stage[mode & 1]), 0, kAllZonesDone);
}

int positionLevel(const Profile& p, int mode) {
    return std::clamp(currentLevel(p, mode & 1), 0, firstLevelOfZone(kAllZonesDone));
}

bool isZoneMapNode(const MenuNode* node) {
    return nodeIs(node, "adventure") || nodeIs(node, "puzzle");
}

void enterZoneMap(ZoneMap& map, const Profile& p) {
    map.mode = modeOf(p);
    placeOnPosition(map, p);
    map.frontier = furthestLevelOf(p, map.mode);
    widgetRegistry.hoverIndex = map.zone;
}

void enterMode(ZoneMap& map, Profile& p, int mode) {
    mode &= 1;
    p.mode = static_cast<uint8_t>(mode);
    map.mode = mode;
    placeOnPosition(map, p);
    map.frontier = furthestLevelOf(p, mode);
    if (p.savedGame[mode]) {
        showMenu("loadgamequest");
        return;
    }
    if (p.startedBefore) {
        clearCollection(map.collection);
        MenuNode* node = findMenuNode(menuTable, mapNodeName(mode));
        if (node != nullptr) node->parent = menuSystem.current;
        showNode(node);
        return;
    }
    p.startedBefore = 1;
    clearCollection(map.collection);
    setBackgroundMode(kBackgroundMap);
    showMenu("startgame");
}

bool pressZoneSlot(ZoneMap& map, const Profile& p, int zone) {
    MenuSystem& m = menuSystem;
    if (!isZoneMapNode(m.current) || m.fadeIn || m.fadeOut) return false;
    if (collectionAnimating(map.collection)) return false;
    const int mode = modeOf(p);
    if (zone < 0 || zone >= kZoneCount || zone > zonesFinished(p, mode)) return false;
    m.selected = 0;
    widgetRegistry.hoverIndex = zone;
    // A finished zone is shown first (its story and its quelmar): replaying it starts a
    // new run, so only a second click on it, or "start", plays it. The zone being
    // played starts at once.
    const bool lookOnly = zone < zonesFinished(p, mode) && zone != map.zone && zone != positionZone(p, mode);
    map.zone = zone;
    map.level = zone == positionZone(p, mode) ? positionLevel(p, mode) : firstLevelOfZone(zone);
    if (!lookOnly) m.pendingKey = kMenuKeyEnter;
    return true;
}

void stepZone(ZoneMap& map, const Profile& p, int step) {
    MenuSystem& m = menuSystem;
    if (collectionAnimating(map.collection)) return;
    const int mode = modeOf(p);
    const int last = std::min(zonesFinished(p, mode), kZoneCount - 1);
    int zone = map.zone > last ? (step > 0 ? -1 : last + 1) : map.zone;
    zone += step > 0 ? 1 : -1;
    if (zone < 0) zone = last;
    if (zone > last) zone = 0;
    map.zone = zone;
    map.level = zone == positionZone(p, mode) ? positionLevel(p, mode) : firstLevelOfZone(zone);
    m.selected = 0;
    widgetRegistry.hoverIndex = zone;
    m.hoverTimer = 0;
    trace("zone %d chosen", zone);
}

bool chooseStart(ZoneMap& map, Profile& p) {
    CollectionState& c = map.collection;
    if (collectionHolding(c)) {
        continueCollection(c);
        trace("quelmar continues");
        keepMapShown();
        return false;
    }
    if (map.zone >= kAllZonesDone || collectionAnimating(c)) {
        keepMapShown();
        return false;
    }
    const int mode = modeOf(p);
    if (map.level == positionLevel(p, mode) && map.mode == mode) return true;
    if (p.score[mode] > 0) {
        messageBox(menuText("zeroscore"), false);
        return false;
    }
    return true;
}

void zeroScore(Profile& p) {
    const int mode = modeOf(p);
    p.score[mode] = 0;
    p.lives[mode] = 3;
}

void finishGame(ZoneMap& map, Profile& p) {
    const int mode = modeOf(p);
    p.stage[mode] = 0;
    p.levelInStage[mode] = 0;
    map.zone = 0;
    map.level = 0;
    setBackgroundMode(kBackgroundScenery);
    menuSystem.hiscoreRow = insertHiscore(hiscoreTable, mode, p.name, p.score[mode]);
    p.score[mode] = 0;
    p.lives[mode] = 3;
    writeAll();
}

bool zoneLocked(const ZoneMap& map) {
    return map.zone >= kAllZonesDone || collectionAnimating(map.collection);
}

void returnToMap(ZoneMap& map, Profile& p, int wonLevel) {
    CollectionState& c = map.collection;
    clearCollection(c);
    const int mode = modeOf(p);
    map.mode = mode;
    setBackgroundMode(kBackgroundMap);
    placeOnPosition(map, p);
    const int finished = zonesFinished(p, mode);
    // A level below the frontier was a replay: its zone was finished before.
    const bool playedZone = map.zone == finished && wonLevel >= map.frontier;
    MenuSystem& m = menuSystem;
    m.fadeIn = m.fadeOut = false;
    m.activateOnFadeEnd = m.backOnFadeEnd = false;
    if (!playedZone || p.lastStageDone) {
        if (map.zone >= kAllZonesDone) {
            map.frontier = furthestLevelOf(p, mode);
            finishGame(map, p);
            showMenu("hiscore");
            return;
        }
    } else {
        if (map.zone >= kAllZonesDone) p.lastStageDone = 1;
        c.pieceActive = true;
        c.pieceTimer = 0;
    }
    map.frontier = furthestLevelOf(p, mode);
    trace("map zone %d level %d finished %d", map.zone, map.level + 1, finished);
    showMenu(mapNodeName(mode));
    setMusic(0);
}

void updateZoneMap(ZoneMap& map, const Profile& p, float dt) {
    MenuSystem& m = menuSystem;
    CollectionState& c = map.collection;
    const int mode = modeOf(p);
    const int finished = zonesFinished(p, mode);
    if (isZoneMapNode(m.current) && !m.fadeIn && !m.fadeOut) {
        if (m.hoverTimer > kZoneHoverMs) {
            widgetRegistry.hoverIndex = map.zone;
            m.hoverTimer = 0;
        }
        if (widgetRegistry.hoverIndex > finished) widgetRegistry.hoverIndex = map.zone;
        // A chosen item that did nothing (back while locked) leaves the map shown.
        if (m.fadeProgress > 0) keepMapShown();
    }
    const int into = levelInZone(p);
    countOpenPieces(c, map.zone, map.level, finished, into);
    const CollectionEvents events = advanceCollection(c, dt, into == 0);
    if (events.piecesOpened) {
        for (int k = c.openBefore; k < c.openNow; ++k)
            startEffect("mask", kMedallionX + kPieceOffsets[k].x, kMedallionY + kPieceOffsets[k].y, 0);
        menuPlaySound("openpiece.ogg");
        trace("pieces open %d of 10, before %d", c.openNow, c.openBefore);
        if (rightPictureChanged(map.level)) startEffect("effect01", 290, 0, 0);
    }
    if (events.quelmarComplete) {
        menuPlaySound("openquelmar.ogg");
        trace("quelmar rises %d", finished - 1);
    }
    if (events.holdStarted) trace("quelmar presented %d", finished - 1);
    if (events.collectionDone) {
        trace("quelmar placed %d", finished - 1);
        if (map.zone >= kAllZonesDone) showMenu("endgame");
    }
}

MedallionView medallionView(const ZoneMap& map, const Profile& p) {
    const int finished = zonesFinished(p, modeOf(p));
    const int z = map.zone;
    if (z < finished) return {std::min(z, kZoneCount - 1), false};
    if (levelInZone(p) == 0 && map.collection.pieceActive && z >= 1) return {z - 1, true};
    if (z >= kAllZonesDone) return {kZoneCount - 1, false};
    return {z, true};
}

StagePanelView stagePanelView(const ZoneMap& map, const Profile& p) {
    const int finished = zonesFinished(p, modeOf(p));
    const int z = map.zone;
    if (z >= kAllZonesDone) return {kZoneCount - 1, true};
    if (!collectionAnimating(map.collection) || levelInZone(p) != 0 || z == 0)
        return z < finished ? StagePanelView{z, true} : StagePanelView{-1, false};
    return {z - 1, true};
}

int quelmarInFlight(const ZoneMap& map, const Profile& p) {
    const int finished = zonesFinished(p, modeOf(p));
    const CollectionState& c = map.collection;
    const bool justFinished = c.pieceActive && levelInZone(p) == 0 && map.zone == finished;
    if ((justFinished || c.active) && finished >= 1) return finished - 1;
    return -1;
}
