// The fuse picture as the game ships it, placed where the HUD draws it: its cord runs
// below the field's bottom row, never across it, and stays on the screen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>

#include "core/field.h"
#include "presentation/field_view.h"
#include "resources/files.h"
#include "resources/image.h"

TEST(FusePicture, TheCordRunsBetweenTheFieldsBottomRowAndTheScreensEdge) {
    auto registry = std::make_unique<FileRegistry>();
    char previous[512];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(QUELMAR_DATA_DIR), 0);
    openPack(*registry, "targa.dat");
    ASSERT_EQ(chdir(previous), 0);
    uint32_t size = 0;
    const uint8_t* bytes = loadFile(*registry, "fuse.tga", &size, false);
    ASSERT_NE(bytes, nullptr);
    Image fuse;
    ASSERT_TRUE(decodeTarga(bytes, size, fuse));
    clearRegistry(*registry);

    // The HUD stretches the picture over 64 units of height centred 275 below the middle.
    const float top = -275.0f + 32.0f, unitsPerRow = 64.0f / static_cast<float>(fuse.height);
    const float fieldBottom = cellCentre(kRows - 1, 0).y - kTileHalf;
    int cordRows = 0;
    for (int row = 0; row < fuse.height; ++row) {
        const float rowTop = top - unitsPerRow * static_cast<float>(row);
        const float rowBottom = rowTop - unitsPerRow;
        int opaque = 0;
        for (int x = 0; x < fuse.width; ++x)
            if (fuse.pixels[(static_cast<size_t>(row) * fuse.width + x) * 4 + 3] > 24) ++opaque;
        if (opaque > fuse.width / 2) ++cordRows;
        if (rowBottom > fieldBottom || rowTop < -300.0f) {
            EXPECT_EQ(opaque, 0) << "row " << row << " of the picture lies at y " << rowTop;
        }
    }
    EXPECT_GE(cordRows, 10);  // a cord, not a thread
}
