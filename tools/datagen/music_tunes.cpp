// The game's music: one module holding five tunes at fixed order positions,
// each looping within its own orders:
//   orders  0..19  "Mountain Tea"   calm menu and level tune, D major pentatonic, flute over zither
//   orders 20..35  "River Market"   lively level tune, A minor pentatonic, zither lead and drums
//   orders 36..54  "Lantern Garden" level and credits tune, the in-scale on E, mysterious
//   orders 55..57  level-complete fanfare, then a quiet held chord
//   orders 58..61  time-up tune, tense lute ostinato and drums
// Melodies are written in numbered notation: digits 1..7 are the degrees of the
// major scale on the tune's key, ' raises and , lowers an octave, b and # alter,
// - holds the previous note and 0 releases it. Accompaniment (chord tones, bass,
// arpeggios, drums) is laid out from each section's chord roots and the tune's style.
#include <algorithm>
#include <cassert>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tools/datagen/datagen.h"
#include "tools/datagen/music_instruments.h"
#include "tools/datagen/music_xm.h"

namespace {

enum Channel {
    kLead,
    kEcho,
    kArp,
    kColour,
    kPad1,
    kPad2,
    kPad3,
    kBassLine,
    kDrumLow,
    kDrumHigh,
    kPercussion,
    kChannels
};

// What plays in one order of a tune.
enum Layer : unsigned {
    kMelody = 1,
    kEchoes = 2,  // the melody again, softly, a few rows later
    kArpeggio = 4,
    kChords = 8,
    kBassNotes = 16,
    kDrums = 32,
    kShakers = 64,
    kGongStroke = 128,  // temple bell on the first row
    kChimes = 256,      // high chimes at bar starts
};

struct Style {
    int key;                 // MIDI note of degree 1 in the middle octave
    std::vector<int> scale;  // pitch classes above the key that accompaniment snaps to
    int bpm;
    int melodyOctave;  // added to the written melody, in semitones
    uint8_t lead, arp;
    int arpShape[16];        // semitones above the chord root per row of a bar; -1 rests
    const char* bassRhythm;  // per row of a bar: R root, F fifth, O octave, ^ release, . nothing
    const char* drumLow;     // per row: X loud, x soft, o ghost, . nothing
    const char* drumHigh;
    const char* shaker;
    uint8_t leadVolume, arpVolume;
    int bassVolume;  // volume of the root; fifths and octaves a little softer
    int drumScale;   // percent applied to the drum marks' volumes
};

struct Section {
    int rows;
    const char* melody;    // tokens spread evenly over the rows
    const char* chords;    // one root per bar of 16 rows (or one for the whole section)
    const char* ostinato;  // when set, replaces the generated arpeggio (tokens spread evenly)
};

struct OrderEntry {
    int section;
    unsigned layers;
};

struct Tune {
    int firstOrder;
    int loopOrder = -1;  // where the last order jumps back to; -1 for the first order
    Style style;
    std::vector<Section> sections;
    std::vector<OrderEntry> orders;
};

std::vector<std::string> splitTokens(const char* text) {
    std::vector<std::string> tokens;
    if (!text) return tokens;
    std::istringstream stream(text);
    std::string token;
    while (stream >> token)
        if (token != "|") tokens.push_back(token);
    return tokens;
}

// Numbered-notation token to a MIDI note; -1 for hold, -2 for release.
int parseDegree(const std::string& token, int key) {
    if (token == "-") return -1;
    if (token == "0") return -2;
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    int note = key;
    size_t i = 0;
    for (; i < token.size() && (token[i] == 'b' || token[i] == '#'); ++i) note += token[i] == 'b' ? -1 : 1;
    assert(i < token.size() && token[i] >= '1' && token[i] <= '7');
    note += major[token[i] - '1'];
    for (++i; i < token.size(); ++i) note += token[i] == '\'' ? 12 : -12;
    return note;
}

// Moves a note to the nearest pitch of the tune's scale (downwards on a tie).
int snapToScale(int note, const Style& style) {
    for (int distance = 0; distance < 12; ++distance) {
        for (int candidate : {note - distance, note + distance}) {
            int pitchClass = ((candidate - style.key) % 12 + 12) % 12;
            for (int allowed : style.scale)
                if (allowed == pitchClass) return candidate;
        }
    }
    return note;
}

int foldInto(int note, int low) {
    while (note < low) note += 12;
    while (note >= low + 12) note -= 12;
    return note;
}

uint8_t xmNote(int midi) {
    return static_cast<uint8_t>(std::clamp(midi - 11, 1, 96));
}
uint8_t volumeColumn(int volume) {
    return static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64));
}

void putNote(XmPattern& pattern, int row, int channel, int midi, uint8_t instrument, int volume) {
    if (row < 0 || row >= pattern.rows) return;
    XmCell& cell = pattern.at(row, channel);
    cell.note = xmNote(midi);
    cell.instrument = instrument;
    cell.volume = volumeColumn(volume);
}

void putRelease(XmPattern& pattern, int row, int channel) {
    if (row < 0 || row >= pattern.rows) return;
    XmCell& cell = pattern.at(row, channel);
    if (!cell.note) cell.note = kXmKeyOff;
}

// Writes a line of tokens spread evenly over the pattern's rows.
// Writes a line of tokens spread evenly over the pattern's rows. With `scoops`, a
// long note reached by a leap upwards is blown from below and bent up to pitch,
// the way a bamboo flute player slides into it.
void putLine(XmPattern& pattern, int channel, const std::vector<std::string>& tokens, int key, int octave,
             uint8_t instrument, int volume, int delay, bool scoops) {
    if (tokens.empty()) return;
    int step = pattern.rows / static_cast<int>(tokens.size());
    assert(step * static_cast<int>(tokens.size()) == pattern.rows);
    int previous = -1;
    for (size_t i = 0; i < tokens.size(); ++i) {
        int row = static_cast<int>(i) * step + delay;
        int note = parseDegree(tokens[i], key);
        if (note == -2) putRelease(pattern, row, channel);
        if (note < 0) continue;
        size_t held = 0;
        while (i + held + 1 < tokens.size() && tokens[i + held + 1] == "-") ++held;
        bool scoop = scoops && step == 2 && held >= 3 && previous >= 0 && note - previous >= 3;
        putNote(pattern, row, channel, note + octave - (scoop ? 2 : 0), instrument, volume);
        if (scoop && row + 1 < pattern.rows) {
            XmCell& bend = pattern.at(row + 1, channel);
            bend.note = xmNote(note + octave);
            bend.effect = kXmTonePortamento;
            bend.param = 0x08;  // half a semitone per tick
        }
        previous = note;
    }
}

int drumVolume(char mark, int scale) {
    int volume = mark == 'X' ? 60 : mark == 'x' ? 38 : mark == 'o' ? 20 : 0;
    return std::min(64, volume * scale / 100);
}

XmPattern buildPattern(const Style& style, const Section& section, unsigned layers, uint32_t variation) {
    XmPattern pattern(section.rows, kChannels);
    std::vector<std::string> chordTokens = splitTokens(section.chords);
    int bars = std::max(1, section.rows / 16);
    auto rootAtBar = [&](int bar) {
        size_t index = chordTokens.size() * static_cast<size_t>(bar) / static_cast<size_t>(bars);
        return parseDegree(chordTokens[std::min(index, chordTokens.size() - 1)], style.key);
    };

    if (layers & kMelody) {
        std::vector<std::string> melody = splitTokens(section.melody);
        const bool scoops = style.lead == kFlute;
        putLine(pattern, kLead, melody, style.key, style.melodyOctave, style.lead, style.leadVolume, 0,
                scoops);
        if (layers & kEchoes) {
            int delay = section.rows / std::max<int>(1, static_cast<int>(melody.size())) + 1;
            putLine(pattern, kEcho, melody, style.key, style.melodyOctave, style.lead, style.leadVolume / 3,
                    delay, scoops);
        }
    }
    for (int bar = 0; bar < bars; ++bar) {
        int root = rootAtBar(bar);
        int first = bar * 16;
        bool sameAsBefore = bar > 0 && rootAtBar(bar - 1) == root;
        if ((layers & kChords) && !sameAsBefore) {
            // A full chord: root, the scale's third above it and the fifth, so the
            // harmony says major or minor instead of hanging on bare fifths.
            int low = foldInto(root, 50);
            putNote(pattern, first, kPad1, low, kPad, 32);
            putNote(pattern, first, kPad2, snapToScale(low + 7, style), kPad, 28);
            putNote(pattern, first, kPad3, snapToScale(low + 4, style), kPad, 24);
        }
        if ((layers & kArpeggio) && !section.ostinato) {
            // The figure answers itself: every second bar runs it backwards, and the
            // last bar of a phrase lifts its second half an octave, so the same shape
            // never plays four times over.
            int base = foldInto(root, 57);
            const bool answer = bar % 2 == 1, lift = bar % 4 == 3;
            for (int row = 0; row < 16 && first + row < section.rows; ++row) {
                int shape = style.arpShape[answer ? 15 - row : row];
                if (shape < 0) continue;
                if (lift && row >= 8) shape += 12;
                int accent = row % 4 == 0 ? 6 : 0;
                putNote(pattern, first + row, kArp, snapToScale(base + shape, style), style.arp,
                        style.arpVolume + accent);
            }
        }
        if (layers & kBassNotes) {
            int bassRoot = foldInto(root, 38);
            for (int row = 0; row < 16 && first + row < section.rows; ++row) {
                char mark = style.bassRhythm[row];
                const int v = style.bassVolume;
                if (mark == 'R') putNote(pattern, first + row, kBassLine, bassRoot, kBass, v);
                if (mark == 'F')
                    putNote(pattern, first + row, kBassLine, snapToScale(bassRoot + 7, style), kBass, v - 8);
                if (mark == 'O') putNote(pattern, first + row, kBassLine, bassRoot + 12, kBass, v - 10);
                if (mark == '^') putRelease(pattern, first + row, kBassLine);
            }
            // Into a new chord the bass walks: its note on the bar's last beat becomes
            // a step of the scale below the next root.
            const bool lastBar = bar + 1 >= bars;
            const int next = lastBar ? rootAtBar(0) : rootAtBar(bar + 1);
            if (next != root && style.bassRhythm[14] != '^' && first + 14 < section.rows)
                putNote(pattern, first + 14, kBassLine, snapToScale(foldInto(next, 38) - 2, style), kBass,
                        style.bassVolume - 6);
        }
        if (layers & kDrums) {
            // The phrase's last beat is a fill: the small drum on every row, swelling into the next phrase.
            const bool fill = bar == bars - 1 && section.rows >= 64;
            for (int row = 0; row < 16 && first + row < section.rows; ++row) {
                if (fill && row >= 12) {
                    putNote(pattern, first + row, kDrumHigh, 60 + (row - 12), kHandDrum,
                            std::min(64, (30 + 8 * (row - 12)) * style.drumScale / 100));
                    if (row % 2 == 0)
                        putNote(pattern, first + row, kDrumLow, 60, kTaiko, 44 * style.drumScale / 100);
                    continue;
                }
                if (int v = drumVolume(style.drumLow[row], style.drumScale))
                    putNote(pattern, first + row, kDrumLow, 60, kTaiko, v);
                char high = style.drumHigh[row];
                // Every second bar the hand drum fills its gaps on the off-beats with
                // ghost strokes, which turns a one-bar loop into a two-bar phrase.
                if (bar % 2 == 1 && high == '.' && row % 4 == 3) high = 'o';
                if (int v = drumVolume(high, style.drumScale))
                    putNote(pattern, first + row, kDrumHigh, (row % 8) < 4 ? 60 : 58, kHandDrum, v);
            }
        }
        if (layers & kShakers) {
            for (int row = 0; row < 16 && first + row < section.rows; ++row)
                if (int v = drumVolume(style.shaker[row], style.drumScale + 30))
                    putNote(pattern, first + row, kPercussion, 60, kShaker, v);
        }
        if ((layers & kChimes) && bar % 2 == 1) {
            // A soft chime on a chord tone high above, placed by the variation number.
            int offsets[3] = {0, 7, 12};
            int note = snapToScale(foldInto(root, 74) + offsets[(variation + static_cast<uint32_t>(bar)) % 3],
                                   style);
            putNote(pattern, first + 6, kColour, note, kChime, 22);
        }
    }
    if (section.ostinato && (layers & kArpeggio))
        putLine(pattern, kArp, splitTokens(section.ostinato), style.key, 0, style.arp, style.arpVolume, 0,
                false);
    if (layers & kGongStroke) putNote(pattern, 0, kColour, foldInto(rootAtBar(0), 38), kGong, 46);

    // Every pattern sets its tune's tempo, so a tune sounds right wherever it is entered.
    pattern.at(0, kDrumHigh).effect = kXmSetSpeed;
    pattern.at(0, kDrumHigh).param = 6;
    pattern.at(0, kPercussion).effect = kXmSetSpeed;
    pattern.at(0, kPercussion).param = static_cast<uint8_t>(style.bpm);
    return pattern;
}

// ---------------------------------------------------------------------------
// The five tunes.

Tune mountainTea() {
    Tune tune;
    tune.firstOrder = 0;
    tune.style = {.key = 62,
                  .scale = {0, 2, 4, 7, 9},
                  .bpm = 84,
                  .melodyOctave = 12,
                  .lead = kFlute,
                  .arp = kKoto,
                  .arpShape = {0, -1, 7, -1, 12, -1, 14, -1, 16, -1, 14, -1, 12, -1, 7, -1},
                  .bassRhythm = "R.......F.....O.",
                  .drumLow = "X.......x.......",
                  .drumHigh = "....x.......x.o.",
                  .shaker = "..o...o...o...o.",
                  .leadVolume = 50,
                  .arpVolume = 26,
                  .bassVolume = 46,
                  .drumScale = 100};
    tune.sections = {
        {64, "", "1 6, 2 5,", nullptr},  // 0 intro
        {64, "5 - 6 1' 6 - 5 3 | 2 - 3 5 3 - - - | 5 - 6 1' 2' - 1' 6 | 5 - - - - - 0 -", "1 6, 2 5,",
         nullptr},
        {64, "5 - 6 1' 6 - 5 3 | 2 - 3 5 6 - 5 3 | 2 - 1 2 3 - 2 1 | 6, - - - 1 - 0 -", "1 6, 2 1", nullptr},
        {64, "6 - 1' 2' 3' - 2' 1' | 6 - 1' 6 5 - - - | 3 - 5 6 5 - 3 2 | 3 - - - - - 0 -", "4, 5, 6, 5,",
         nullptr},
        {64, "6 - 1' 2' 3' - 5' 3' | 2' - 1' 6 1' - - - | 6 5 3 5 6 - 1' 6 | 5 - - - - - 0 -", "4, 5, 2 5,",
         nullptr},
        {64, "1' - - - 6 - - - | 5 - - - 3 - - - | 2 - - 3 5 - 3 2 | 1 - - - - - 0 -", "1 4, 6, 5,", nullptr},
    };
    const unsigned band = kMelody | kArpeggio | kChords | kBassNotes;
    tune.orders = {
        {0, kArpeggio | kChords | kGongStroke},
        {0, kArpeggio | kChords | kBassNotes | kChimes},
        {1, band},
        {2, band},
        {3, band | kShakers},
        {4, band | kShakers},
        {1, band | kEchoes | kDrums},
        {2, band | kEchoes | kDrums | kShakers},
        {5, kMelody | kChords | kGongStroke},
        {5, kMelody | kEchoes | kArpeggio | kChords | kChimes},
        {3, band | kDrums | kShakers},
        {4, band | kDrums | kShakers | kChimes},
        {1, band | kEchoes | kDrums | kShakers},
        {2, band | kEchoes | kDrums | kShakers},
        {0, kArpeggio | kChords | kBassNotes | kShakers | kGongStroke},
        {5, kMelody | kArpeggio | kChords | kChimes},
        {3, band | kEchoes},
        {4, band | kEchoes | kShakers},
        {1, band | kDrums | kShakers},
        {2, band | kDrums | kChimes},
    };
    return tune;
}

Tune riverMarket() {
    Tune tune;
    tune.firstOrder = 20;
    tune.style = {.key = 60,
                  .scale = {0, 2, 4, 7, 9},
                  .bpm = 112,
                  .melodyOctave = 12,
                  .lead = kKoto,
                  .arp = kBamboo,
                  .arpShape = {0, 7, 12, 7, 14, 12, 7, 12, 0, 7, 12, 14, 19, 14, 12, 7},
                  .bassRhythm = "R..R..F.R...O.F.",
                  .drumLow = "X..x..X.X..x.xX.",
                  .drumHigh = "..x...x...x..xx.",
                  .shaker = "x.o.x.o.x.o.x.oo",
                  .leadVolume = 64,
                  .arpVolume = 16,
                  .bassVolume = 30,
                  .drumScale = 60};
    tune.sections = {
        {64, "", "6, 5, 4, 5,", nullptr},
        {64, "6 - 1' 6 5 3 5 - | 6 - 1' 2' 1' 6 5 - | 3 5 6 - 5 3 2 3 | 6, - - - 0 - - -", "6, 5, 4, 5,",
         nullptr},
        {64, "6 - 1' 6 5 3 5 - | 6 - 1' 2' 3' 2' 1' - | 2' 1' 6 5 3 5 6 1' | 6 - - - 0 - - -", "6, 5, 4, 6,",
         nullptr},
        {64, "3' - 2' 3' 5' - 3' 2' | 1' - 6 1' 2' - - - | 3' - 2' 1' 6 - 5 6 | 1' - 2' - 3' - 0 -",
         "4, 5, 1 6,", nullptr},
        {64, "5' - 3' 5' 6' - 5' 3' | 2' - 1' 2' 3' - - - | 2' 1' 6 1' 2' 3' 2' 1' | 6 - - - 0 - - -",
         "4, 5, 4, 6,", nullptr},
        {64, "6 - - 5 6 - 1' - | 2' - - 1' 2' - 3' - | 5' - 3' - 2' - 1' - | 6 - - - 0 - - -", "4, 5, 1 6,",
         nullptr},
    };
    const unsigned band = kMelody | kArpeggio | kBassNotes | kDrums;
    tune.orders = {
        {0, kArpeggio | kBassNotes | kDrums | kGongStroke},
        {1, band},
        {2, band | kShakers},
        {3, band | kChords | kShakers},
        {4, band | kChords | kShakers},
        {0, kBassNotes | kDrums | kShakers},
        {1, band | kEchoes | kShakers},
        {2, band | kEchoes | kShakers},
        {3, band | kChords | kEchoes | kShakers | kChimes},
        {4, band | kChords | kEchoes | kShakers},
        {5, kMelody | kArpeggio | kChords | kChimes},
        {5, kMelody | kEchoes | kArpeggio | kChords | kBassNotes | kDrums},
        {1, band | kChords | kShakers},
        {2, band | kChords | kShakers},
        {3, band | kEchoes | kShakers | kGongStroke},
        {4, band | kEchoes | kShakers},
    };
    return tune;
}

Tune lanternGarden() {
    Tune tune;
    tune.firstOrder = 36;
    tune.style = {.key = 60,
                  .scale = {0, 4, 5, 9, 11},
                  .bpm = 96,
                  .melodyOctave = 12,
                  .lead = kFlute,
                  .arp = kKoto,
                  .arpShape = {0, -1, -1, 7, -1, -1, 12, -1, 16, -1, -1, 12, -1, 7, -1, -1},
                  .bassRhythm = "R.....F.....^...",
                  .drumLow = "X.....x...x.....",
                  .drumHigh = "........x.....o.",
                  .shaker = "....o.......o...",
                  .leadVolume = 50,
                  .arpVolume = 28,
                  .bassVolume = 46,
                  .drumScale = 100};
    tune.sections = {
        {64, "", "3, 4, 6,, 3,", nullptr},
        {64, "3 - 4 - 6 - 7 6 | 4 - 3 - - - 0 - | 6 - 7 1' 7 - 6 4 | 3 - - - - - 0 -", "3, 4, 6,, 3,",
         nullptr},
        {64, "3 - 4 6 7 - 1' - | 7 6 4 - 3 - - - | 4 6 7 6 4 3 1 3 | 3 - - - - - 0 -", "3, 4, 1 3,", nullptr},
        {64, "6 - 7 - 1' - 3' - | 1' 7 6 - 7 - - - | 4' - 3' 1' 7 - 6 4 | 6 - - - - - 0 -", "6,, 4, 7,, 3,",
         nullptr},
        {64, "3' - 4' 3' 1' - 7 6 | 7 - 1' 7 6 - 4 - | 3 - 4 6 7 - 6 4 | 3 - - - - - 0 -", "6,, 4, 6,, 3,",
         nullptr},
        {64, "7 - - - 6 - - - | 4 - - - 3 - - - | 1' - 7 - 6 - 4 - | 3 - - - - - 0 -", "6,, 4, 3, 3,",
         nullptr},
    };
    const unsigned band = kMelody | kArpeggio | kChords;
    tune.orders = {
        {0, kArpeggio | kChords | kGongStroke},
        {1, band},
        {2, band | kChimes},
        {3, band | kBassNotes | kDrums},
        {4, band | kBassNotes | kDrums},
        {1, band | kEchoes | kBassNotes},
        {2, band | kEchoes | kBassNotes | kShakers},
        {5, kMelody | kChords | kGongStroke},
        {0, kArpeggio | kBassNotes | kShakers | kChimes},
        {3, band | kBassNotes | kDrums | kShakers},
        {4, band | kEchoes | kBassNotes | kDrums | kShakers},
        {1, band | kBassNotes | kDrums | kShakers},
        {2, band | kEchoes | kBassNotes | kDrums},
        {5, kMelody | kEchoes | kArpeggio | kChords | kChimes},
        {3, band | kEchoes | kBassNotes},
        {4, band | kBassNotes | kDrums | kChimes},
        {1, band | kEchoes | kBassNotes | kShakers},
        {2, band | kBassNotes | kDrums | kShakers},
        {0, kArpeggio | kChords | kBassNotes | kChimes},
    };
    return tune;
}

Tune fanfare() {
    Tune tune;
    tune.firstOrder = 55;
    tune.loopOrder = 57;  // after the flourish only the quiet held chord repeats
    tune.style = {.key = 62,
                  .scale = {0, 2, 4, 7, 9},
                  .bpm = 140,
                  .melodyOctave = 12,
                  .lead = kKoto,
                  .arp = kBamboo,
                  .arpShape = {0, 4, 7, 12, 0, 4, 7, 12, 2, 7, 9, 14, 4, 9, 12, 16},
                  .bassRhythm = "R.......R.......",
                  .drumLow = "X...x.x.X.x.XxXx",
                  .drumHigh = "..x...x...x.x.x.",
                  .shaker = "x.x.x.x.x.x.x.x.",
                  .leadVolume = 64,
                  .arpVolume = 20,
                  .bassVolume = 36,
                  .drumScale = 70};
    tune.sections = {
        {16, "1 - 3 - 5 - 1' - 3' - 2' - 3' - 5' -", "1", nullptr},
        {16, "1' - - - - - - - - - - - - - 0 -", "1", nullptr},
        {32, "", "1 1", nullptr},
    };
    tune.orders = {
        {0, kMelody | kArpeggio | kBassNotes | kDrums | kShakers | kGongStroke},
        {1, kMelody | kChords | kBassNotes | kGongStroke | kChimes},
        {2, kChords | kChimes},
    };
    return tune;
}

Tune timeUp() {
    Tune tune;
    tune.firstOrder = 58;
    tune.style = {.key = 62,
                  .scale = {0, 1, 5, 7, 8},
                  .bpm = 150,
                  .melodyOctave = 12,
                  .lead = kFlute,
                  .arp = kShamisen,
                  .arpShape = {0, 1, 0, -5, 0, 1, 5, 1, 0, 1, 0, -5, -4, -5, 0, -1},
                  .bassRhythm = "R.R.R.R.R.R.R.RO",
                  .drumLow = "X.x.X.x.X.x.XxXx",
                  .drumHigh = "..X...X...X..XXX",
                  .shaker = "x.x.x.x.x.x.x.x.",
                  .leadVolume = 54,
                  .arpVolume = 50,
                  .bassVolume = 36,
                  .drumScale = 90};
    const char* ostinato =
        "1 b2 1 5, 1 b2 4 b2 1 b2 1 5, b6, 5, 1 - "
        "1 b2 1 5, 1 b2 4 b2 1 b2 1 5, b6, 5, 1 - "
        "4 5 4 b2 4 5 b6 5 4 5 4 b2 1 b2 4 - "
        "1 b2 1 5, 1 b2 4 b2 b6, 5, b6, 5, 1 b2 1 -";
    tune.sections = {
        {64, "", "1", ostinato},
        {64, "5 - - - b6 - - - | 5 - - - 4 - b2 - | 1 - - - b2 - - - | 1 - - - - - 0 -", "1 1 4, 1",
         ostinato},
        {64, "1' - - - b7 - - - | b6 - - - 5 - 4 - | 5 - - - b6 - 5 - | 4 - b2 - 1 - 0 -", "b6, 4, 5, 1",
         ostinato},
    };
    const unsigned band = kArpeggio | kBassNotes | kDrums | kShakers;
    tune.orders = {
        {0, band | kGongStroke},
        {1, band | kMelody},
        {2, band | kMelody | kEchoes},
        {1, band | kMelody | kEchoes | kChords},
    };
    return tune;
}

// Lays the tunes out in one module; every tune's last order jumps back into the tune.
XmModule composeModule() {
    XmModule module;
    module.name = "10 Quelmars";
    module.channels = kChannels;
    module.speed = 6;
    module.bpm = 84;
    module.instruments = makeMusicInstruments();
    const Tune tunes[] = {mountainTea(), riverMarket(), lanternGarden(), fanfare(), timeUp()};
    for (const Tune& tune : tunes) {
        assert(static_cast<int>(module.orders.size()) == tune.firstOrder);
        uint32_t variation = 0;
        for (size_t i = 0; i < tune.orders.size(); ++i) {
            const OrderEntry& entry = tune.orders[i];
            XmPattern pattern = buildPattern(tune.style, tune.sections[static_cast<size_t>(entry.section)],
                                             entry.layers, variation++);
            if (i + 1 == tune.orders.size()) {
                XmCell& jump = pattern.at(pattern.rows - 1, kPercussion);
                jump.effect = kXmPositionJump;
                jump.param = static_cast<uint8_t>(tune.loopOrder >= 0 ? tune.loopOrder : tune.firstOrder);
            }
            module.orders.push_back(static_cast<uint8_t>(addXmPattern(module, pattern)));
        }
    }
    return module;
}

bool makeMusic(const std::string& outDir) {
    std::vector<uint8_t> bytes = writeXm(composeModule());
    if (bytes.empty()) {
        std::fprintf(stderr, "datagen: the music module does not fit its format\n");
        return false;
    }
    return writeOutputFile(outDir, "music.mo3", bytes.data(), bytes.size());
}

}  // namespace

DATAGEN_STEP("music", makeMusic);
