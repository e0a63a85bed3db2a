#include "game/announcements.h"

#include "app/app.h"
#include "app/persistence.h"
#include "core/announce.h"
#include "core/field.h"
#include "core/profile.h"
#include "game/automation.h"
#include "game/menu_actions.h"
#include "game/play.h"
#include "game/screens.h"
#include "menus/menu_system.h"
#include "menus/zone_map.h"
#include "presentation/field_view.h"
#include "presentation/hud.h"
#include "presentation/particles.h"
#include "presentation/scenery.h"
#include "resources/sound.h"
#include "resources/trace.h"

namespace {

// Leaving a won level (the transition's click, or the last level) for the zone map;
// two clicks in one frame return once.
void backToMap() {
    static float handledAt = -1;
    if (animationClock == handledAt) return;
    handledAt = animationClock;
    toMenuScreen();
    returnToMap(zoneMap, *gameProfile, gameState.level - 1);
}

}  // namespace

void gameAnnounce(void* context, const Announcement& what) {
    (void)context;
    GameState& g = gameState;
    switch (what.kind) {
        case Announce::Sound:
            if (what.name != nullptr)
                playSound(soundSystem, what.name, what.value > 0 ? what.value : kDefaultSoundFrequency);
            break;
        case Announce::Effect:
            if (what.name != nullptr) startEffect(particleSystem, what.name, what.x, what.y);
            break;
        case Announce::ScorePopup:
        case Announce::FloatingText:
        case Announce::FlyingLetters:
        case Announce::Sparkle:
        case Announce::HeartPulse:
        case Announce::FuseParameters:
        case Announce::DropSparkles:
        case Announce::NoMovesShake:
            hudAnnouncement(hudState, g, what);
            break;
        case Announce::Shake:
            startFieldShake(fieldView);
            break;
        case Announce::BreakCover:
            spawnBreakPiece(fieldView, what.x, what.y, what.value);
            break;
        case Announce::TipShown:
        case Announce::TipClosed:
            traceTip(what);  // the balloon itself is drawn from the game's tip state every frame
            break;
        case Announce::Music:
            // The move into the transition and the time-up switch at once; level start and
            // level end fade.
            if (g.transition || g.timeUp)
                setMusicNow(soundSystem, what.value);
            else
                setMusic(soundSystem, what.value);
            break;
        case Announce::Menu:
            if (what.name != nullptr) openMenuFromGame(what.name);
            break;
        case Announce::Pointer:
        case Announce::StartTutorial:
            followPointer();
            break;
        case Announce::SceneTint:
        case Announce::AnimatedBackground:
            sceneryAnnouncement(what, g);
            break;
        case Announce::ClearPresentation:
            clearFieldView(fieldView);
            stopAllEffects(particleSystem);
            hudAnnouncement(hudState, g, what);
            sceneryAnnouncement(what, g);
            break;
        case Announce::SaveAll:
            writeAll();
            break;
        case Announce::LevelRecords:
            // The profile has already moved on when this arrives: the level comes from the game.
            recordWonLevel(g.level, what.value, what.x);
            break;
        case Announce::EnterHiscore:
            menuSystem.hiscoreRow = insertHiscore(hiscoreTable, g.mode, gameProfile->name, what.value);
            break;
        case Announce::ModeScreen:
            backToMap();
            break;
    }
}
