#pragma once
// The music's instruments: a small far-eastern ensemble synthesised as
// module samples. Numbers are the 1-based instrument numbers of the patterns.
#include <vector>

#include "tools/datagen/music_xm.h"

enum MusicInstrument : uint8_t {
    kKoto = 1,  // plucked zither, bright and ringing
    kFlute,     // breathy bamboo flute, sustained, with delayed vibrato
    kPad,       // soft reed-organ chord tone, sustained
    kBass,      // round plucked bass
    kBamboo,    // struck bamboo bars
    kGong,      // low temple bell
    kTaiko,     // big drum
    kHandDrum,  // small high drum
    kShaker,    // small cymbal and seed shaker
    kChime,     // high chime bar
    kShamisen,  // sharp plucked lute for the tense tune
    kMusicInstrumentCount = kShamisen
};

std::vector<XmInstrument> makeMusicInstruments();
