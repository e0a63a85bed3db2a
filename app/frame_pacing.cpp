#include "app/frame_pacing.h"

#include <algorithm>
#include <cstdint>

FramePacer framePacer = {};

namespace {

uint32_t median(const uint32_t* values, int count) {
    uint32_t sorted[kPacingWindow];
    std::copy(values, values + count, sorted);
    std::nth_element(sorted, sorted + count / 2, sorted + count);
    return sorted[count / 2];
}

// Presents faster than the display refreshes are not paced by it: the limiter takes over.
void decide(FramePacer& p) {
    if (p.mode == PacingMode::Display && median(p.intervalsUs, p.samples) < p.periodUs * 85 / 100) {
        p.mode = PacingMode::Limiter;
        p.nextUs = 0;
        ++p.switches;
    }
    p.samples = 0;
}

}  // namespace

void startPacing(FramePacer& p, int refreshHz, bool swapIntervalHolds) {
    if (refreshHz < kLowestRefreshHz || refreshHz > kHighestRefreshHz) refreshHz = kDefaultRefreshHz;
    const int32_t switches = p.switches;
    p = FramePacer{};
    p.periodUs = static_cast<uint32_t>(1000000 / refreshHz);
    p.mode = swapIntervalHolds ? PacingMode::Display : PacingMode::Limiter;
    p.switches = switches;
}

uint64_t presentTime(FramePacer& p, uint64_t nowUs) {
    p.targetUs = nowUs;
    if (p.mode == PacingMode::Limiter && p.nextUs != 0 && nowUs < p.nextUs + p.periodUs)
        p.targetUs = std::max(nowUs, p.nextUs);
    p.heldUs = static_cast<uint32_t>(p.targetUs - nowUs);
    return p.targetUs;
}

uint32_t frameRest(FramePacer& p, uint32_t wantedUs) {
    p.restUs = p.mode == PacingMode::Limiter && p.lastEndUs != 0 ? std::min(wantedUs, p.spareUs) : wantedUs;
    return p.restUs;
}

void presentDone(FramePacer& p, uint64_t endUs) {
    if (p.mode == PacingMode::Limiter) p.nextUs = p.targetUs + p.periodUs;
    if (p.lastEndUs != 0 && endUs >= p.lastEndUs) {
        const uint64_t interval = endUs - p.lastEndUs;
        const uint64_t idle = static_cast<uint64_t>(p.heldUs) + p.restUs;
        // What the frame would have taken without resting or waiting, and what that
        // leaves of a period for the next frame's rest.
        const uint64_t busy = interval > idle ? interval - idle : 0;
        p.spareUs = busy < p.periodUs ? static_cast<uint32_t>(p.periodUs - busy) : 0;
        p.intervalsUs[p.samples] = static_cast<uint32_t>(std::min<uint64_t>(interval, UINT32_MAX));
        ++p.samples;
    }
    p.restUs = 0;
    p.lastEndUs = endUs;
    if (p.samples == kPacingWindow) decide(p);
}
