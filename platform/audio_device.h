#pragma once
// The sound system's output: the game's mixer (audioMixer) behind SDL's audio
// device. The mixer renders on SDL's audio thread; the operations here run on the
// main thread.
#include "resources/sound.h"

// Output through the default audio device, 44.1 kHz stereo. open fails (and the game
// runs silent) when no device can be opened.
const AudioBackend* deviceAudioBackend();

// The same mixer with no device: nothing plays by itself and the caller renders
// audioMixer with mixerRender (tests, benchmarks).
const AudioBackend* offlineAudioBackend();

// The same mixer advanced by the caller instead of the device's clock: pullAudio
// renders the next `frames` stereo frames on the calling thread into out (2 floats a
// frame) and queues them to the default device, which plays what it is given. Without
// a device the mix is still made, so the caller can keep it.
const AudioBackend* pulledAudioBackend();
void pullAudio(float* out, int frames);
