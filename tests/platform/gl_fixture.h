#pragma once
// One real 800 x 600 window with the GL device for all tests of this program, and
// helpers that read back what was drawn.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/draw.h"
#include "platform/gpu.h"
#include "platform/window.h"

class GlTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("QUELMAR_NO_MESSAGE_BOXES", "1", 1);  // a message box would wait for a click
        if (!gpuDeviceExists()) {
            if (!createMainWindow("10 Quelmars", 800, 600, false)) return;
            showMainWindow();
            if (!createDevice()) return;
            setPerspectiveFromClient();
        }
    }
    void SetUp() override {
        if (!gpuDeviceExists()) GTEST_SKIP() << "no display with OpenGL 3.3";
        gpuResetState();
        gpuSetBatching(true);
        drawState.colourMultiplier[0] = drawState.colourMultiplier[1] = drawState.colourMultiplier[2] =
            drawState.colourMultiplier[3] = 1;
        beginFrame();
        clearColour(0xFF000000);
        begin2D();
        disable(kStateFiltering);
        bindTexture(nullptr);
    }

    // The scene's pixel at a top-left logical position, as 0xRRGGBBAA.
    uint32_t pixel(int x, int y) {
        if (scene.empty()) readScene();
        const uint8_t* p = &scene[(static_cast<size_t>(y) * width + x) * 4];
        return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }
    void readScene() {
        endFrame();
        ASSERT_TRUE(gpuReadScene(scene, &width, &height));
        ASSERT_EQ(width, 800);
        ASSERT_EQ(height, 600);
    }
    // Makes a texture from ARGB texels, rows from the top.
    static GpuTexture texture(int w, int h, const std::vector<uint32_t>& argb) {
        std::vector<uint8_t> bgra(argb.size() * 4);
        for (size_t i = 0; i < argb.size(); ++i)
            for (int c = 0; c < 4; ++c) bgra[i * 4 + c] = static_cast<uint8_t>(argb[i] >> (8 * c));
        return gpuCreateTexture(w, h, bgra.data(), 1);
    }

    std::vector<uint8_t> scene;
    int width = 0, height = 0;
};

constexpr uint32_t kRed = 0xFF0000FF, kGreen = 0x00FF00FF, kBlue = 0x0000FFFF, kWhite = 0xFFFFFFFF,
                   kBlack = 0x000000FF;
