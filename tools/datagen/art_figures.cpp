// The figure sheets: each charm and pick-up as 8 x 4 frames of 128 pixels, frame f
// showing the object turned by f / 32 of a full turn, so frame 0 is the resting
// pose and the last frame leads smoothly back to it.
#include "tools/datagen/art_common.h"
#include "tools/datagen/datagen.h"

namespace {

constexpr int kFrame = 128;

Image charmFrame(int kind, double turn, int size) {
    Canvas canvas(size, size);
    cairo_translate(canvas.cr, size / 2.0, size / 2.0);
    cairo_scale(canvas.cr, size * 0.43, size * 0.43);
    drawCharm(canvas.cr, kind, turn);
    // A soft dark halo keeps the outline readable on light and dark tiles alike.
    return withShadow(canvas.image(), size / 40 + 1, size / 64.0, size / 48.0, 0.75);
}

bool makeFigureSheets(const std::string& outDir) {
    bool ok = true;
    for (int kind = 0; kind < CharmCount; ++kind) {
        Image sheet(kFrame * 8, kFrame * 4);
        for (int f = 0; f < 32; ++f) {
            const Image frame = charmFrame(kind, 2 * M_PI * f / 32, kFrame);
            const int ox = (f % 8) * kFrame, oy = (f / 8) * kFrame;
            for (int y = 0; y < kFrame; ++y)
                for (int x = 0; x < kFrame; ++x)
                    for (int c = 0; c < 4; ++c) sheet.at(ox + x, oy + y)[c] = frame.at(x, y)[c];
        }
        ok = writeTga(outDir, std::string("figures/") + charmSheetName(kind), sheet) && ok;
    }
    return ok;
}

}  // namespace

Image renderCharmIcon(int kind, int size) {
    return charmFrame(kind, 0.0, size);
}

DATAGEN_STEP("figures", makeFigureSheets);
