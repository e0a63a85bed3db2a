#include "platform/audio_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <ostream>
#include <streambuf>

namespace {

struct MemoryFile {
    const uint8_t* bytes;
    size_t size;
    size_t position;
};

size_t readMemory(void* destination, size_t size, size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    if (size == 0) return 0;
    size_t items = std::min(count, (file->size - file->position) / size);
    std::memcpy(destination, file->bytes + file->position, items * size);
    file->position += items * size;
    return items;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(source);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(file->position)
                                            : static_cast<ogg_int64_t>(file->size);
    if (offset < -base || offset > static_cast<ogg_int64_t>(file->size) - base) return -1;
    file->position = static_cast<size_t>(base + offset);
    return 0;
}

long tellMemory(void* source) {
    return static_cast<long>(static_cast<MemoryFile*>(source)->position);
}

// Swallows the player library's messages: a broken module fails quietly.
class DiscardBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
};

}  // namespace

bool decodeVorbis(const uint8_t* bytes, uint32_t size, std::vector<int16_t>& frames, int& channels) {
    frames.clear();
    MemoryFile file{bytes, size, 0};
    ov_callbacks callbacks{readMemory, seekMemory, nullptr, tellMemory};
    OggVorbis_File vorbis;
    if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0) return false;
    vorbis_info* info = ov_info(&vorbis, -1);
    channels = info ? info->channels : 0;
    if (channels != 1 && channels != 2) {
        ov_clear(&vorbis);
        return false;
    }
    const size_t limit = static_cast<size_t>(kLongestEffectFrames) * static_cast<size_t>(channels);
    char buffer[8192];
    int link = 0;
    for (;;) {
        long got = ov_read(&vorbis, buffer, sizeof buffer, 0, 2, 1, &link);
        if (got == OV_HOLE) continue;  // a gap in the data: skip it and go on
        if (got <= 0) break;           // end, or damage we cannot read past
        vorbis_info* linkInfo = ov_info(&vorbis, link);
        if (!linkInfo || linkInfo->channels != channels) break;  // a chained file that changes layout
        size_t values = static_cast<size_t>(got) / 2;
        size_t old = frames.size();
        values = std::min(values, limit - old);
        frames.resize(old + values);
        std::memcpy(frames.data() + old, buffer, values * 2);
        if (frames.size() == limit) break;
    }
    ov_clear(&vorbis);
    frames.resize(frames.size() - frames.size() % static_cast<size_t>(channels));
    return !frames.empty();
}

openmpt::module* openModule(const uint8_t* bytes, uint32_t size, int amplification) {
    static DiscardBuffer discard;
    static std::ostream quiet(&discard);
    try {
        auto module = std::make_unique<openmpt::module>(bytes, static_cast<size_t>(size), quiet);
        module->set_repeat_count(-1);
        int level = std::clamp(amplification, 1, 100);
        auto millibel = static_cast<int32_t>(std::lround(2000.0 * std::log10(level / 50.0)));
        module->set_render_param(openmpt::module::RENDER_MASTERGAIN_MILLIBEL, millibel);
        return module.release();
    } catch (...) {
        return nullptr;
    }
}
