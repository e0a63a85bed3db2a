#include "platform/audio.h"

bool openAudioDevice() {
    return false;
}
void pauseAudioDevice() {}
void resumeAudioDevice() {}
void closeAudioDevice() {}
