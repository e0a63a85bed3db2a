#pragma once
// When each once-per-profile tip may show and where its balloon points, the offers
// made on a settled field, and the tutorial panel's share of the game's frame and
// input. The balloon itself is drawn from GameState::tip by the presentation.
#include "core/announce.h"
#include "core/field.h"
#include "core/profile.h"

// Whether tip key may show now in g for profile p, beyond its flag: the level, the
// one-tip-per-level rule, the stock, the walk through the first move, and that the
// cell it points at exists. When it may and at is given, *at is where it points
// (tips offered elsewhere point where their caller says and leave *at unchanged).
bool tipCondition(const GameState& g, const Profile& p, int key, Vec2* at);
// Offers the settled-field tips in their order; the first one that may show wins.
void offerBoardTips(GameState& g);
// The text key of the balloon to draw this frame ("chainbtip", ...), or null while no
// tip shows or its delay still runs. Position, modal and pointing are in g.tip.
const char* visibleTipKey(const GameState& g);
// Whether tip key may show now for the game's profile (offerTip asks this).
bool tipAllowed(const GameState& g, int key);
// The player's "show game tips" option. Off, no tip that teaches is offered (they stay
// unseen for later); the boxes that say why play stops ("nomoremoves", "usehammer")
// still show.
void setGameTipsShown(bool shown);
bool gameTipsShown();
// The tutorial over the level: one frame, a click (its OK button) and a key (closes it).
void tutorialFrame(GameState& g, float dt);
void tutorialClickAt(GameState& g, Vec2 point);
void tutorialKeyPressed(GameState& g, int key);
// Opens the tutorial over the running level ("helpgameplay") or from the help
// screen ("instructions", fromMenu = true).
void openTutorial(GameState& g, bool fromMenu);
