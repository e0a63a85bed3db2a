#pragma once
// The zone map's pictures and drawing: the map background, the right-hand picture
// with its cross-fade, the zone icons, the medallion with its cover, the stage panel,
// the player block, the collection animation, and the map nodes' buttons and zone
// slots. The rules behind them are in menus/zone_map.h.
struct MenuNode;

// The loading step: artefacts, pictures, icons, the map background and the ten covers
// made from the closed cover and the masks. Missing images are fatal.
void loadCollectionImages();

// The menu screen's map for this frame (background mode 1): the rules advance by dt,
// then everything below the menus is drawn, the particles included.
void drawZoneMapScene(float dt);

// The draw routine of "adventure" and "puzzle": the two buttons and the ten zone slots.
void drawZoneMapNode(MenuNode& node);
// Attaches drawZoneMapNode to the two map nodes (after the menu tree is built).
void attachZoneMapRoutines();

// A press on the menu screen: a zone slot under the cursor chooses its zone. True when
// the press was taken.
bool pressZoneSlotAtCursor();
