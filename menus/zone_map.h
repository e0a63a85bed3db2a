#pragma once
// The zone map between levels: ten zones in a ring around the medallion, the stage
// panel and two buttons, shown by the menu nodes "adventure" (classic) and "puzzle"
// (endless) over the menu screen in background mode 1. Here is its state and its
// rules: entering a mode, choosing a zone, starting a level, coming back after a won
// level with the piece and collection animations, and the end of the game. The
// drawing is in menus/zone_map_view.h; the game layer's menu actions call these.
#include <cstdint>

#include "menus/collection.h"

struct Profile;
struct MenuNode;

constexpr int kZoneCount = 10;
constexpr int kAllZonesDone = 10;  // the selected zone once the last zone is finished
constexpr float kMedallionX = -100, kMedallionY = 0;
constexpr float kZoneHoverMs = 300;  // with nothing under the mouse, the hover returns to the zone

struct ZoneCentre {
    float x, y;
};
extern const ZoneCentre kZoneCentres[kZoneCount];

struct ZoneMap {
    int32_t mode;      // the mode shown: 0 classic, 1 endless
    int32_t zone;      // Z: the selected zone, 0..10
    int32_t level;     // L: the selected level, a global level number
    int32_t frontier;  // the mode's furthest level when the map was last shown: a won level
                       // below it was a replay and opens nothing
    CollectionState collection;
};
extern ZoneMap zoneMap;

// Progress of a profile in a mode: finished zones F (0..10), the position's zone and
// level number.
int zonesFinished(const Profile& p, int mode);
int positionZone(const Profile& p, int mode);
int positionLevel(const Profile& p, int mode);

// "adventure" or "puzzle" chosen on the main menu (the engine has set the profile's
// mode): the saved-game question, the map, or the welcome box the first time.
void enterMode(ZoneMap& map, Profile& p, int mode);
// Entry action of the map nodes: the selected zone and level from the profile.
void enterZoneMap(ZoneMap& map, const Profile& p);
// A press on zone slot `zone` (menu screen, before the engine's own handling). True
// when the press was taken: the zone is selected and "start" is chosen.
bool pressZoneSlot(ZoneMap& map, const Profile& p, int zone);
// Left or Right on the map (step -1 or 1): the zone before or after the selected one,
// among those a press on a slot may choose, selected as such a press selects it but not
// yet played ("start" plays it).
void stepZone(ZoneMap& map, const Profile& p, int step);
// The item "start" (or "continue1" during the collection hold). True when the map's
// level is to be played now (map.mode, map.level); otherwise the map stays, asks
// "zeroscore" first, or lets the held quelmar go on.
bool chooseStart(ZoneMap& map, Profile& p);
// "yes" to "zeroscore": the mode's score back to 0 and 3 lives, for a new run.
void zeroScore(Profile& p);
// "ok" on the final box: progress back to the start, the score into the hiscores, the
// player files written.
void finishGame(ZoneMap& map, Profile& p);
// The back item does nothing now (all zones finished, or the quelmar is presented).
bool zoneLocked(const ZoneMap& map);
// Back from a won level (wonLevel, the game already moved the profile on); the caller
// has switched to the menu screen.
void returnToMap(ZoneMap& map, Profile& p, int wonLevel);
// Once per frame while the map is shown: hover rules, open pieces, the animations
// with their sounds and effects, and "endgame" after the last quelmar.
void updateZoneMap(ZoneMap& map, const Profile& p, float dt);

// Whether a node is one of the two map nodes.
bool isZoneMapNode(const MenuNode* node);

// What the medallion and the stage panel show (pure, for drawing and tests).
struct MedallionView {
    int artefact;  // zone whose quelmar lies in the medallion
    bool cover;    // drawn under the cover
};
MedallionView medallionView(const ZoneMap& map, const Profile& p);
struct StagePanelView {
    int zone;    // story told, -1 for the "lock" text
    bool title;  // the zone's title is drawn
};
StagePanelView stagePanelView(const ZoneMap& map, const Profile& p);
// The zone whose quelmar has not yet reached its place in the ring (-1 for none) and
// whether the zone to play next is still dark while it flies.
int quelmarInFlight(const ZoneMap& map, const Profile& p);
