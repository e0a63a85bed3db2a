#pragma once
// Decoding for the mixer: Ogg Vorbis effects into 16-bit frames, and the music
// module into a player object. Both read from memory and treat every byte as
// untrusted.
#include <cstdint>
#include <vector>

namespace openmpt {
class module;
}

constexpr uint32_t kLongestEffectFrames = 60u * 48000u;  // decoding stops there; effects are short

// Decodes a whole Ogg Vorbis file into interleaved frames. False (and nothing kept)
// when the data is not Ogg Vorbis or has other than one or two channels.
bool decodeVorbis(const uint8_t* bytes, uint32_t size, std::vector<int16_t>& frames, int& channels);

// Opens a tracker module set to loop for ever, its loudness scaled by
// amplification / 50. nullptr when the data is not a module.
openmpt::module* openModule(const uint8_t* bytes, uint32_t size, int amplification);
