#pragma once
// The audio device: where the sound and music output lives. The window's main loop
// only needs to pause it when the window is deactivated and resume it when the window
// is active again; the mixer that feeds it is added with the sound system.
// Until then these are the silent device: every call succeeds and does nothing.

bool openAudioDevice();    // false when no device can be opened: the game goes on silent
void pauseAudioDevice();   // window deactivated or minimised
void resumeAudioDevice();  // window active again
void closeAudioDevice();   // shut-down
