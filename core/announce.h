#pragma once
// The one way the game core asks for anything it does not do itself: sounds,
// particle effects, score popups, floating texts, flying letters, the field shake,
// breaking cover pieces, tips shown and closed, music sections, menus, and the
// moments the application must act on (saving files, leaving for the mode screen).
// The game layer installs a sink that turns these into sound and pictures; tests and
// tools install a recorder. With no sink installed the requests are dropped.
#include <cstdint>
#include <string_view>

struct GameState;

enum class Announce : int32_t {
    Sound,          // name = sample, value = frequency in Hz
    Effect,         // name = particle effect, at (x, y)
    ScorePopup,     // value = points, at (x, y)
    FloatingText,   // name = text key, value = number (or -1 for none), at (x, y), size, life ms
    FlyingLetters,  // name = text key, at (x, y), size
    Shake,          // the field shakes
    BreakCover,     // a cover layer breaks at (x, y); value = layer before the hit
    Sparkle,        // a sparkle leaves the clock icon for the fuse tip
    HeartPulse,     // an extra life was granted
    TipShown,       // name = tip key, at (x, y), value = modal
    TipClosed,
    Music,               // value = section, played at once
    Menu,                // name = menu node to open
    Pointer,             // value 0 arrow, 1 hammer
    SceneTint,           // value = tint state
    AnimatedBackground,  // value = number of the background to show
    ClearPresentation,   // the presentation's per-level state is emptied
    SaveAll,             // settings, profiles, records and hiscores are written
    LevelRecords,        // value = level score, x = elapsed ms: update the level records
    EnterHiscore,        // value = banked score entering the hiscore table
    ModeScreen,          // the player leaves the play screen for the mode screen
    StartTutorial,       // the tutorial opens over the level
    NoMovesShake,        // the "nomoremoves" message gets new shake values
    FuseParameters,      // x = 0.3, y = e of the bonus fuse animation
    DropSparkles,        // all sparkles in flight are dropped
};

struct Announcement {
    Announce kind;
    const char* name;  // static text, never freed
    float x;
    float y;
    float x2;  // a second point, for requests that need one
    float y2;
    int32_t value;
    float size;
    float life;
};

using AnnounceSink = void (*)(void* context, const Announcement& what);

// The one sink the announcements go to: the game layer's handler in the program, a
// recorder in tests and tools. Null drops every request.
void setAnnounceSink(AnnounceSink sink, void* context);
// The sink installed now and its context (a part that filters requests for a while puts
// it back afterwards).
AnnounceSink announceSinkNow(void** context);

void announce(const Announcement& what);
void playSound(const char* sample, int frequency = 44100);
void startEffect(const char* effect, float x, float y);
void announceSimple(Announce kind, const char* name = nullptr, int value = 0, float x = 0.0f, float y = 0.0f);
const char* tipKeyName(int key);
