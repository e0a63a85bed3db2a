#pragma once
// A tracker module made on the spot, for the audio tests and the mixer benchmark.
#include <string>

// A four-channel tracker module of 60 orders whose sections sound different: orders
// 0-19 and 55-57 a low square tone, 20-35 and 58-59 the tone an octave up, 36-54
// silence. Each pattern lasts 1.28 s.
inline std::string makeModule() {
    std::string file(20, '\0');
    file.replace(0, 9, "test tune");
    std::string sample(30, '\0');
    sample[23] = 16;  // length in words
    sample[25] = 64;  // volume
    sample[29] = 16;  // loop length in words: the tone sustains
    file += sample;
    for (int i = 1; i < 31; ++i) file += std::string(30, '\0');
    file += static_cast<char>(60);
    file += static_cast<char>(127);
    std::string orders(128, '\0');
    for (int i = 0; i < 60; ++i) {
        bool low = i < 20 || (i >= 55 && i < 58);
        bool high = (i >= 20 && i < 36) || i >= 58;
        orders[static_cast<size_t>(i)] = static_cast<char>(low ? 1 : high ? 2 : 0);
    }
    file += orders + "M.K.";
    for (int pattern = 0; pattern < 3; ++pattern) {
        std::string cells(64 * 4 * 4, '\0');
        int period = pattern == 1 ? 428 : 214;
        if (pattern > 0) {
            cells[0] = static_cast<char>(period >> 8);
            cells[1] = static_cast<char>(period & 0xff);
            cells[2] = 0x1C;  // sample 1, effect "set volume"
            cells[3] = 0x40;
        } else {
            cells[2] = 0x0C;  // volume 0
        }
        cells[6] = 0x0F;  // second channel: one tick per row
        cells[7] = 0x01;
        file += cells;
    }
    for (int i = 0; i < 32; ++i) file += static_cast<char>(i < 16 ? 100 : -100);
    return file;
}
