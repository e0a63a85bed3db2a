#pragma once
// Writer for extended tracker modules: patterns of note cells, instruments with
// one 16-bit sample each, volume envelopes and an order list. The game's one
// music module is written in this format; players recognise it by its header.
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kXmKeyOff = 97;  // note value that releases the playing note

// Effect numbers of the pattern effect column.
constexpr uint8_t kXmTonePortamento = 0x03;  // param: glide speed towards the cell's note
constexpr uint8_t kXmPositionJump = 0x0B;    // param: order position
constexpr uint8_t kXmSetVolume = 0x0C;       // param: 0..64
constexpr uint8_t kXmSetSpeed = 0x0F;        // param below 32: ticks per row; 32 and above: beats per minute

struct XmCell {
    uint8_t note = 0;        // 1..96 (1 = C-0, 49 = C-4 = middle C), kXmKeyOff, or 0 for none
    uint8_t instrument = 0;  // 1-based, 0 for none
    uint8_t volume = 0;      // volume column: 0x10..0x50 sets volume 0..64, 0 for none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells;  // rows x channels, row by row
    XmPattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(static_cast<size_t>(rowCount * channelCount)) {}
    XmCell& at(int row, int channel) { return cells[static_cast<size_t>(row * channels + channel)]; }
};

struct XmEnvelopePoint {
    uint16_t tick;   // ticks from the note's start
    uint16_t level;  // 0..64
};

struct XmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    uint32_t loopStart = 0, loopLength = 0;       // in sample frames; no loop when the length is 0
    uint8_t volume = 64;                          // default volume 0..64
    uint8_t panning = 128;                        // 0 left .. 255 right
    int8_t relativeNote = 0, finetune = 0;        // tuning, see tuneXmInstrument
    std::vector<XmEnvelopePoint> volumeEnvelope;  // empty: no envelope (a key-off cuts the note)
    int sustainPoint = -1;                        // envelope point held until key-off, -1 for none
    uint16_t fadeout = 0;                         // volume lost per tick after key-off, of 65536
    uint8_t vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;  // automatic sine vibrato
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6, bpm = 125;  // initial ticks per row and beats per minute
    std::vector<uint8_t> orders;
    int restart = 0;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Sets relative note and finetune so that a sample of `rate` frames per second whose
// fundamental is `pitchHz` sounds at its true pitch for each note played.
void tuneXmInstrument(XmInstrument& instrument, double rate, double pitchHz);

// Adds the pattern unless an identical one exists; returns its index.
int addXmPattern(XmModule& module, const XmPattern& pattern);

// Serialises the module; empty on a module that does not fit the format's limits.
std::vector<uint8_t> writeXm(const XmModule& module);

// Converts floats in -1..1 to 16-bit samples.
std::vector<int16_t> toPcm16(const std::vector<float>& samples);
