#include "core/announce.h"

namespace {
AnnounceSink announceSink = nullptr;
void* announceContext = nullptr;
}  // namespace

void setAnnounceSink(AnnounceSink sink, void* context) {
    announceSink = sink;
    announceContext = context;
}

AnnounceSink announceSinkNow(void** context) {
    if (context != nullptr) *context = announceContext;
    return announceSink;
}

void announce(const Announcement& what) {
    if (announceSink) announceSink(announceContext, what);
}

void playSound(const char* sample, int frequency) {
    announce({Announce::Sound, sample, 0, 0, 0, 0, frequency, 0, 0});
}

void startEffect(const char* effect, float x, float y) {
    announce({Announce::Effect, effect, x, y, 0, 0, 0, 0, 0});
}

void announceSimple(Announce kind, const char* name, int value, float x, float y) {
    announce({kind, name, x, y, 0, 0, value, 0, 0});
}

const char* tipKeyName(int key) {
    static const char* const names[] = {
        "",         "powerup",     "relaxtip1", "tipbusysquare2", "chainbtip",   "gametip1",   "gametip2",
        "gametip3", "gametip4",    "gametip5",  "gametip6",       "firsthammer", "hummerhelp", "firsttime",
        "timehelp", "nomoremoves", "usehammer", "powerup2",       "powerup3",    "powerup4",   "powerup5"};
    if (key < 0 || key >= static_cast<int>(sizeof(names) / sizeof(names[0]))) return "";
    return names[key];
}
