// What the drawing layer puts on screen: corner orders, colour multiplier, blend presets,
// alpha test, full-screen pixel quads, batching, letterboxing and the cursor mapping.
#include <cmath>

#include "gl_fixture.h"

namespace {

bool near(uint32_t actual, uint32_t expected, int tolerance = 2) {
    for (int shift = 8; shift < 32; shift += 8) {
        int a = static_cast<int>((actual >> shift) & 255), e = static_cast<int>((expected >> shift) & 255);
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

const std::vector<uint32_t> kQuarters = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};  // R G / B W

}  // namespace

TEST_F(GlTest, CentredAndRectQuadsMapTheTextureUpright) {
    GpuTexture quarters = texture(2, 2, kQuarters);
    gpuBindTexture(quarters);
    drawQuadCentred(-200, 0, 200, 200, kWholeTexture, 0xFFFFFFFF, 10);    // centre at pixel (200, 300)
    drawQuadRect(100, 100, 300, -100, kWholeTexture, 0xFFFFFFFF, 10);     // pixels 500..700 x 200..400
    drawQuadCentred(0, 200, 40, 40, {0.5f, 0, 1, 0.5f}, 0xFFFFFFFF, 10);  // only the green quarter
    EXPECT_EQ(pixel(150, 250), kRed);
    EXPECT_EQ(pixel(250, 250), kGreen);
    EXPECT_EQ(pixel(150, 350), kBlue);
    EXPECT_EQ(pixel(250, 350), kWhite);
    EXPECT_EQ(pixel(550, 250), kRed);
    EXPECT_EQ(pixel(650, 250), kGreen);
    EXPECT_EQ(pixel(550, 350), kBlue);
    EXPECT_EQ(pixel(650, 350), kWhite);
    EXPECT_EQ(pixel(390, 90), kGreen);
    EXPECT_EQ(pixel(410, 110), kGreen);
    EXPECT_EQ(pixel(400, 300), kBlack);
    gpuReleaseTexture(quarters);
}

TEST_F(GlTest, RotatedQuadTurnsCounterClockwiseAboutItsPivot) {
    GpuTexture quarters = texture(2, 2, kQuarters);
    gpuBindTexture(quarters);
    // A quarter turn about the centre puts the red (top-left) quarter at the bottom-left.
    drawQuadRotated(0, 0, Vector2{0, 0}, 90, 200, 200, kWholeTexture, 0xFFFFFFFF, 10);
    EXPECT_EQ(pixel(350, 350), kRed);
    EXPECT_EQ(pixel(350, 250), kGreen);
    gpuReleaseTexture(quarters);
}

TEST_F(GlTest, ColourMultiplierTruncatesEachChannel) {
    drawState.colourMultiplier[1] = 0.5f;
    drawState.colourMultiplier[2] = 0.0f;
    setBlend(2);
    drawQuadPixels(0, 0, 100, 100, kWholeTexture, 0xFFFFFFFF);
    EXPECT_TRUE(near(pixel(50, 50), 0xFF7F00FF, 1)) << std::hex << pixel(50, 50);
}

TEST_F(GlTest, BlendPresetsAndAlphaTest) {
    clearColour(0xFF646464);  // grey 100
    setBlend(0);
    drawQuadPixels(0, 0, 100, 100, kWholeTexture, 0x80FF0000);  // half-transparent red
    setBlend(1);
    drawQuadPixels(100, 0, 200, 100, kWholeTexture, 0xFF800000);  // additive: src * src + dst
    setBlend(2);
    drawQuadPixels(200, 0, 300, 100, kWholeTexture, 0x80102030);  // replace
    drawQuadPixels(300, 0, 400, 100, kWholeTexture, 0x00FFFFFF);  // alpha 0: the test drops it
    disable(kStateAlphaTest);
    drawQuadPixels(400, 0, 500, 100, kWholeTexture, 0x00FFFFFF);  // without the test it replaces
    enable(kStateAlphaTest);
    setAlphaReference(128);
    drawQuadPixels(500, 0, 600, 100, kWholeTexture, 0x7FFFFFFF);  // 127 < 128: dropped
    drawQuadPixels(600, 0, 700, 100, kWholeTexture, 0x80FFFFFF);  // 128 passes
    EXPECT_TRUE(near(pixel(50, 50), 0xB13232FF)) << std::hex << pixel(50, 50);
    EXPECT_TRUE(near(pixel(150, 50), 0xA46464FF)) << std::hex << pixel(150, 50);  // 128 * 128 / 255 + 100
    EXPECT_TRUE(near(pixel(250, 50), 0x10203080)) << std::hex << pixel(250, 50);
    EXPECT_TRUE(near(pixel(350, 50), 0x646464FF)) << std::hex << pixel(350, 50);
    EXPECT_TRUE(near(pixel(450, 50), 0xFFFFFF00)) << std::hex << pixel(450, 50);
    EXPECT_TRUE(near(pixel(550, 50), 0x646464FF)) << std::hex << pixel(550, 50);
    EXPECT_TRUE(near(pixel(650, 50), 0xFFFFFF80)) << std::hex << pixel(650, 50);
}

// Each combination of texture and alpha test draws with a program of its own: the alpha
// reference set while another program was in use still holds when a draw goes back to
// the first one.
TEST_F(GlTest, TheAlphaReferenceFollowsADrawAcrossTexturedAndPlainQuads) {
    GpuTexture halfWhite = texture(1, 1, {0x80FFFFFF});  // alpha 128
    // Blending replaces: the pixels read back are the quads' own.
    setBlend(2);
    enable(kStateAlphaTest);
    setAlphaReference(128);
    gpuBindTexture(halfWhite);
    drawQuadPixels(0, 0, 100, 100, kWholeTexture, 0xFFFFFFFF);  // 128 passes
    setAlphaReference(200);
    gpuBindTexture(0);
    drawQuadPixels(100, 0, 200, 100, kWholeTexture, 0xC0FF0000);  // plain, 192 < 200: dropped
    gpuBindTexture(halfWhite);
    drawQuadPixels(200, 0, 300, 100, kWholeTexture, 0xFFFFFFFF);  // textured again, 128 < 200: dropped
    disable(kStateAlphaTest);
    drawQuadPixels(300, 0, 400, 100, kWholeTexture, 0xFF00FF00);  // textured, no test: drawn
    gpuBindTexture(0);
    enable(kStateAlphaTest);
    setAlphaReference(100);
    drawQuadPixels(400, 0, 500, 100, kWholeTexture, 0x80FF0000);  // plain, 128 passes 100
    EXPECT_EQ(pixel(50, 50), kWhite) << std::hex << pixel(50, 50);
    EXPECT_EQ(pixel(150, 50), 0x000000FF) << std::hex << pixel(150, 50);
    EXPECT_EQ(pixel(250, 50), 0x000000FF) << std::hex << pixel(250, 50);
    EXPECT_EQ(pixel(350, 50), kGreen) << std::hex << pixel(350, 50);
    EXPECT_EQ(pixel(450, 50), kRed) << std::hex << pixel(450, 50);
    gpuReleaseTexture(halfWhite);
}

// A texture of plain opaque white is drawn without being read (its quads take their
// colour as they are); a picture put into it later shows.
TEST_F(GlTest, APlainWhiteTextureGivesItsQuadsColourAndAPicturePutInItLaterShows) {
    GpuTexture white = texture(2, 2, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF});
    setBlend(0);  // alpha blending
    gpuBindTexture(white);
    drawQuadPixels(0, 0, 100, 100, kWholeTexture, 0xFF336699);
    drawQuadPixels(100, 0, 200, 100, kWholeTexture, 0xC0336699);  // blended over black
    const uint8_t red[16] = {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255};  // BGRA
    ASSERT_TRUE(gpuUpdateTexture(white, 2, 2, red));
    drawQuadPixels(200, 0, 300, 100, kWholeTexture, 0xFFFFFFFF);
    EXPECT_EQ(pixel(50, 50), 0x336699FF) << std::hex << pixel(50, 50);
    EXPECT_TRUE(near(pixel(150, 50), 0x264C73FF)) << std::hex << pixel(150, 50);  // 3/4 of the colour
    EXPECT_EQ(pixel(250, 50), kRed) << std::hex << pixel(250, 50);
    gpuReleaseTexture(white);
}

TEST_F(GlTest, PixelQuadOfTheWholeScreenCoversEveryPixel) {
    drawQuadPixels(0, 0, 800, 600, kWholeTexture, 0xFFFF0000);
    readScene();
    size_t uncovered = 0;
    for (size_t i = 0; i < scene.size(); i += 4)
        if (scene[i] != 255 || scene[i + 1] != 0) ++uncovered;
    EXPECT_EQ(uncovered, 0u);
}

TEST_F(GlTest, QuadsSharingStateGoAsOneDrawCall) {
    GpuTexture a = texture(1, 1, {0xFFFF0000}), b = texture(1, 1, {0xFF00FF00});
    endFrame();
    int before = gpuDrawCallsThisFrame();
    gpuBindTexture(a);
    for (int i = 0; i < 100; ++i) drawQuadCentred(-300 + i * 6, 0, 4, 4, kWholeTexture, 0xFFFFFFFF, 10);
    endFrame();
    EXPECT_EQ(gpuDrawCallsThisFrame() - before, 1);

    before = gpuDrawCallsThisFrame();
    for (int i = 0; i < 100; ++i) {
        gpuBindTexture(i % 2 ? b : a);
        drawQuadCentred(-300 + i * 6, 20, 4, 4, kWholeTexture, 0xFFFFFFFF, 10);
    }
    endFrame();
    EXPECT_EQ(gpuDrawCallsThisFrame() - before, 100);
    // Order is kept across batches: the last quad drawn at a spot wins.
    EXPECT_EQ(pixel(400 - 300 + 99 * 6, 280), kGreen);

    gpuSetBatching(false);
    before = gpuDrawCallsThisFrame();
    gpuBindTexture(a);
    for (int i = 0; i < 50; ++i) drawQuadCentred(0, -100, 4, 4, kWholeTexture, 0xFFFFFFFF, 10);
    endFrame();
    EXPECT_EQ(gpuDrawCallsThisFrame() - before, 50);
    gpuReleaseTexture(a);
    gpuReleaseTexture(b);
}

TEST_F(GlTest, GammaIsAppliedWhenTheFrameIsShown) {
    setBlend(2);
    drawQuadPixels(0, 0, 400, 600, kWholeTexture, 0xFF64ABFF);  // levels 100, 171, 255
    endFrame();
    setGamma(1.0f);
    gpuCaptureNextPresent();
    present();
    std::vector<uint8_t> shown;
    int w = 0, h = 0;
    ASSERT_TRUE(gpuTakeCapture(shown, &w, &h));
    setGamma(0.5f);
    const uint8_t* p = &shown[(static_cast<size_t>(300) * w + 100) * 4];
    EXPECT_EQ(p[0], 150);  // 1.5 * 100
    EXPECT_EQ(p[1], 255);  // 171 reaches the top of the ramp
    EXPECT_EQ(p[2], 255);
}

TEST_F(GlTest, ResizedWindowIsLetterboxedAndTheCursorMapsThroughTheBox) {
    endFrame();
    setMainWindowSize(1000, 600);
    PlatformEvent event;
    for (int i = 0; i < 50 && mainWindowSize().width != 1000; ++i) {
        while (pollPlatformEvent(event)) {
        }
        sleepMilliseconds(10);
    }
    ASSERT_EQ(mainWindowSize().width, 1000);
    beginFrame();
    clearColour(0xFFFFFFFF);
    endFrame();
    gpuCaptureNextPresent();
    present();
    std::vector<uint8_t> shown;
    int w = 0, h = 0;
    ASSERT_TRUE(gpuTakeCapture(shown, &w, &h));
    ASSERT_EQ(w, 1000);
    EXPECT_EQ(shown[(static_cast<size_t>(300) * w + 50) * 4], 0);     // left bar
    EXPECT_EQ(shown[(static_cast<size_t>(300) * w + 500) * 4], 255);  // the picture
    EXPECT_EQ(shown[(static_cast<size_t>(300) * w + 950) * 4], 0);    // right bar
    float x = 0, y = 0;
    windowToLogical(100, 0, &x, &y);
    EXPECT_FLOAT_EQ(x, 0);
    EXPECT_FLOAT_EQ(y, 0);
    windowToLogical(900, 600, &x, &y);
    EXPECT_FLOAT_EQ(x, 800);
    EXPECT_FLOAT_EQ(y, 600);
    windowToLogical(20, 300, &x, &y);
    EXPECT_LT(x, 0);  // on the bar: outside the logical screen

    setMainWindowSize(800, 600);
    for (int i = 0; i < 50 && mainWindowSize().width != 800; ++i) {
        while (pollPlatformEvent(event)) {
        }
        sleepMilliseconds(10);
    }
    beginFrame();
}
