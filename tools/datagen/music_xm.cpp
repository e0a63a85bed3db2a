#include "tools/datagen/music_xm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct ByteWriter {
    std::vector<uint8_t> bytes;
    void u8(unsigned value) { bytes.push_back(static_cast<uint8_t>(value)); }
    void u16(unsigned value) { u8(value & 0xFF), u8((value >> 8) & 0xFF); }
    void u32(uint32_t value) { u16(value & 0xFFFF), u16(value >> 16); }
    void text(const std::string& value, size_t width) {
        for (size_t i = 0; i < width; ++i) u8(i < value.size() ? static_cast<uint8_t>(value[i]) : 0);
    }
    void zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    void patch32(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
};

// A pattern's cells in the packed form: a flag byte naming the fields that follow.
std::vector<uint8_t> packPattern(const XmPattern& pattern) {
    std::vector<uint8_t> out;
    for (const XmCell& cell : pattern.cells) {
        uint8_t flags = 0x80;
        if (cell.note) flags |= 1;
        if (cell.instrument) flags |= 2;
        if (cell.volume) flags |= 4;
        if (cell.effect) flags |= 8;
        if (cell.param) flags |= 16;
        out.push_back(flags);
        if (cell.note) out.push_back(cell.note);
        if (cell.instrument) out.push_back(cell.instrument);
        if (cell.volume) out.push_back(cell.volume);
        if (cell.effect) out.push_back(cell.effect);
        if (cell.param) out.push_back(cell.param);
    }
    return out;
}

}  // namespace

void tuneXmInstrument(XmInstrument& instrument, double rate, double pitchHz) {
    // With linear frequencies, note C-4 plays a sample at 8363 frames per second and
    // every semitone (128 finetune steps) multiplies that by 2^(1/12). C-4 is MIDI note 60.
    double midi = 69.0 + 12.0 * std::log2(pitchHz / 440.0);
    double shift = 12.0 * std::log2(rate / 8363.0) + (60.0 - midi);
    double semitones = std::round(shift);
    int fine = static_cast<int>(std::lround((shift - semitones) * 128.0));
    instrument.relativeNote = static_cast<int8_t>(std::clamp(static_cast<int>(semitones), -96, 95));
    instrument.finetune = static_cast<int8_t>(std::clamp(fine, -128, 127));
}

int addXmPattern(XmModule& module, const XmPattern& pattern) {
    for (size_t i = 0; i < module.patterns.size(); ++i) {
        const XmPattern& other = module.patterns[i];
        if (other.rows == pattern.rows && other.channels == pattern.channels &&
            std::memcmp(other.cells.data(), pattern.cells.data(), pattern.cells.size() * sizeof(XmCell)) == 0)
            return static_cast<int>(i);
    }
    module.patterns.push_back(pattern);
    return static_cast<int>(module.patterns.size() - 1);
}

std::vector<int16_t> toPcm16(const std::vector<float>& samples) {
    std::vector<int16_t> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    return out;
}

std::vector<uint8_t> writeXm(const XmModule& module) {
    if (module.orders.empty() || module.orders.size() > 256 || module.patterns.empty() ||
        module.patterns.size() > 256 || module.instruments.size() > 128 || module.channels < 1 ||
        module.channels > 32)
        return {};
    for (const XmPattern& pattern : module.patterns)
        if (pattern.rows < 1 || pattern.rows > 256 || pattern.channels != module.channels) return {};
    for (uint8_t order : module.orders)
        if (order >= module.patterns.size()) return {};

    ByteWriter w;
    w.text("Extended Module: ", 17);
    w.text(module.name, 20);
    w.u8(0x1A);
    w.text("quelmars datagen", 20);
    w.u16(0x0104);
    w.u32(276);  // header size from here: this field, 16 bytes of counts and the order table
    w.u16(static_cast<unsigned>(module.orders.size()));
    w.u16(static_cast<unsigned>(module.restart));
    w.u16(static_cast<unsigned>(module.channels));
    w.u16(static_cast<unsigned>(module.patterns.size()));
    w.u16(static_cast<unsigned>(module.instruments.size()));
    w.u16(1);  // linear frequency table
    w.u16(static_cast<unsigned>(module.speed));
    w.u16(static_cast<unsigned>(module.bpm));
    for (size_t i = 0; i < 256; ++i) w.u8(i < module.orders.size() ? module.orders[i] : 0);

    for (const XmPattern& pattern : module.patterns) {
        std::vector<uint8_t> packed = packPattern(pattern);
        if (packed.size() > 0xFFFF) return {};
        w.u32(9);  // pattern header length
        w.u8(0);   // packing type
        w.u16(static_cast<unsigned>(pattern.rows));
        w.u16(static_cast<unsigned>(packed.size()));
        w.bytes.insert(w.bytes.end(), packed.begin(), packed.end());
    }

    for (const XmInstrument& instrument : module.instruments) {
        bool hasSample = !instrument.sample.empty();
        size_t start = w.bytes.size();
        w.u32(hasSample ? 263 : 29);
        w.text(instrument.name, 22);
        w.u8(0);
        w.u16(hasSample ? 1 : 0);
        if (!hasSample) continue;
        w.u32(40);    // sample header size
        w.zeros(96);  // every note uses sample 0
        size_t points = std::min<size_t>(instrument.volumeEnvelope.size(), 12);
        for (size_t i = 0; i < 12; ++i) {
            w.u16(i < points ? instrument.volumeEnvelope[i].tick : 0);
            w.u16(i < points ? std::min<unsigned>(instrument.volumeEnvelope[i].level, 64) : 0);
        }
        w.zeros(48);  // no panning envelope
        w.u8(static_cast<unsigned>(points));
        w.u8(0);
        w.u8(instrument.sustainPoint >= 0 ? static_cast<unsigned>(instrument.sustainPoint) : 0);
        w.u8(0), w.u8(0);           // volume loop start, end
        w.u8(0), w.u8(0), w.u8(0);  // panning sustain, loop start, end
        unsigned volumeType = points > 0 ? 1u : 0u;
        if (points > 0 && instrument.sustainPoint >= 0) volumeType |= 2;
        w.u8(volumeType);
        w.u8(0);
        w.u8(0);  // sine vibrato
        w.u8(instrument.vibratoSweep);
        w.u8(instrument.vibratoDepth);
        w.u8(instrument.vibratoRate);
        w.u16(instrument.fadeout);
        w.zeros(263 - (w.bytes.size() - start));

        const uint32_t frames = static_cast<uint32_t>(instrument.sample.size());
        uint32_t loopStart = std::min(instrument.loopStart, frames);
        uint32_t loopLength = std::min(instrument.loopLength, frames - loopStart);
        w.u32(frames * 2);  // lengths in bytes for 16-bit samples
        w.u32(loopStart * 2);
        w.u32(loopLength * 2);
        w.u8(instrument.volume);
        w.u8(static_cast<uint8_t>(instrument.finetune));
        w.u8((loopLength > 0 ? 1u : 0u) | 0x10u);  // forward loop, 16-bit
        w.u8(instrument.panning);
        w.u8(static_cast<uint8_t>(instrument.relativeNote));
        w.u8(0);
        w.text(instrument.name, 22);
        // Sample data are stored as differences from the previous value.
        int16_t previous = 0;
        for (int16_t value : instrument.sample) {
            w.u16(static_cast<uint16_t>(static_cast<uint16_t>(value) - static_cast<uint16_t>(previous)));
            previous = value;
        }
    }
    return w.bytes;
}
