#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/datagen/sound_synth.h"

extern char** environ;

// Runs a program without a shell and waits for it; true when it exits with 0.
static bool runProgram(const char* const* argv) {
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool speakLine(const char* text, const char* pitch, const char* speed, Sound& out, std::string& error) {
    std::string path = (std::filesystem::temp_directory_path() / "datagen-speech-XXXXXX.wav").string();
    int fd = mkstemps(path.data(), 4);
    if (fd < 0) {
        error = "cannot create a temporary file";
        return false;
    }
    close(fd);
    const char* argv[] = {"espeak-ng", "-v", "en-us+f3",   "-p", pitch,  "-s",
                          speed,       "-w", path.c_str(), text, nullptr};
    bool spoke = runProgram(argv);
    Sound raw;
    bool read = spoke && readWav(path, raw, error);
    std::filesystem::remove(path);
    if (!spoke) {
        error = "espeak-ng failed (is it installed?)";
        return false;
    }
    if (!read) return false;

    // Skip the leading silence so the line lands on its moment.
    size_t first = 0;
    while (first < raw.samples.size() && std::fabs(raw.samples[first]) < 0.01f) ++first;
    raw.samples.erase(raw.samples.begin(), raw.samples.begin() + static_cast<long>(first));
    out = resample(raw, kEffectRate);
    highpass(out, 120);
    lowpass(out, 7500);
    reverb(out, 0.12f, 0.25f);
    finishSound(out, -2, 0.05f);
    return true;
}
