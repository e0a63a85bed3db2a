// The widgets and the tip balloon drawn from the real data in a real window: what
// lands on screen, the numbering of buttons, and the cursor switching. The frame is
// also written to widgets.png in the build folder for a look.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/draw.h"
#include "menus/menu_system.h"
#include "menus/widgets.h"
#include "platform/gpu.h"
#include "platform/system.h"
#include "platform/window.h"
#include "presentation/text.h"
#include "presentation/tip_balloon.h"
#include "resources/files.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

class WidgetScreen : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("QUELMAR_NO_MESSAGE_BOXES", "1", 1);
        if (gpuDeviceExists()) return;
        if (!createMainWindow("10 Quelmars", 800, 600, false)) return;
        showMainWindow();
        if (!createDevice()) return;
        setPerspectiveFromClient();
        changeFolder(QUELMAR_DATA_DIR);
        openDataPacks();
        loadTextAndFonts();
        loadMenuImages();
    }
    void SetUp() override {
        if (!gpuDeviceExists()) GTEST_SKIP() << "no display with OpenGL 3.3";
        clearDepth(1.0f);
        clearColour(0xFF203040);
        beginFrame();
        begin2D();
        widgetRegistry = WidgetRegistry{};
        widgetRegistry.windowClock = 1000;
    }
    // The frame's pixel at a top-left logical position, as 0xRRGGBBAA.
    uint32_t pixel(int x, int y) {
        const uint8_t* p = &scene[(static_cast<size_t>(y) * 800 + x) * 4];
        return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }
    void finish(const char* png) {
        endFrame();
        int w = 0, h = 0;
        ASSERT_TRUE(gpuReadScene(scene, &w, &h));
        ASSERT_EQ(w, 800);
        // The screen shows no alpha: the picture is written opaque, as it is seen.
        std::vector<uint8_t> opaque = scene;
        for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
        std::string path = std::string(QUELMAR_BINARY_DIR) + "/" + png;
        stbi_write_png(path.c_str(), w, h, 4, opaque.data(), w * 4);
    }
    std::vector<uint8_t> scene;
};

TEST_F(WidgetScreen, MenuWindowWithButtonsCheckBoxAndSlider) {
    // Buttons without a caption of their own are the current node's items.
    buildMenus(menuTable, menuSystem, "main=\r\nhidden\r\nplay\r\noptions\r\nexit\r\n\r\n");
    menuSystem.current = findMenuNode(menuTable, "main");
    const char* const captions[] = {"Play", "Options", "Exit"};
    for (int i = 0; i < 3; ++i) std::strcpy(menuSystem.current->children[i]->caption, captions[i]);
    widgetRegistry.selectedItem = 1;
    widgetRegistry.fadingIn = true;
    drawWindowCentred(-120, 40, 440, 420);
    drawButton(-120, 170, 200, 48, 16, nullptr);
    drawButton(-120, 110, 200, 48, 16, nullptr);
    bool tips = true;
    int32_t volume = 70;
    drawCheckBox(-260, 30, tips, "Show game tips", 12);
    drawSlider(-240, -50, 0, -50, volume, 100);
    widgetRegistry.hoverIndex = 1;
    drawControlGlow(false);
    menuSpriteScale = 0.5f;
    drawWindowCentred(280, 200, 180, 120);  // small: no halo and no ornaments
    menuSpriteScale = 1.0f;
    drawPanel(140, -100, 380, -180);
    finish("widgets.png");
    menuSystem.current = nullptr;

    EXPECT_EQ(widgetRegistry.hitBoxCount, 2);
    EXPECT_FLOAT_EQ(widgetRegistry.hitBoxes[1].top, 110 + 24);
    EXPECT_EQ(widgetRegistry.controlCount, 2);
    EXPECT_EQ(widgetRegistry.controls[1].value, 70);
    // The window's fill is a nearly opaque dark brown.
    const uint32_t fill = pixel(280, 420);
    EXPECT_GT(fill >> 24 & 0xFF, fill >> 16 & 0xFF) << std::hex << fill;
    EXPECT_LT(fill >> 24 & 0xFF, 90u) << std::hex << fill;
}

// One balloon fully grown in: a first frame starts its clock, the second draws it.
void showGrownBalloon(bool button, float x, float y, const char* text, float direction, bool grow) {
    for (int frame = 0; frame < 2; ++frame) {
        if (button)
            showTipBalloonWithButton(x, y, text, 300, true, direction, grow);
        else
            showTipBalloon(x, y, text, 300, true, direction, grow);
        if (frame == 0)
            advanceTipBalloon(tipBalloon, 0);
        else
            drawTipBalloon(300);
    }
}

TEST_F(WidgetScreen, TipBalloonWithButtonPointsAtItsAnchor) {
    drawWindowCentred(0, 0, 600, 400);
    const char* text = "Swap two neighbouring charms to line up three of a kind.";
    showGrownBalloon(true, -200, 150, text, -1000, true);
    // The button lies on the body, which sits toward the centre from the point.
    const TipBalloonState& s = tipBalloon.state;
    const float bx = (s.buttonLeft + s.buttonRight) / 2, by = (s.buttonTop + s.buttonBottom) / 2;
    EXPECT_TRUE(tipBalloonButtonHit(bx, by));
    EXPECT_GT(bx, -200);
    EXPECT_LT(by, 150 - 89.6f);
    showGrownBalloon(false, 250, -200, "Short tip", 90, false);
    EXPECT_FALSE(tipBalloonButtonHit(bx, by));
    finish("tip_balloon.png");
}

TEST_F(WidgetScreen, TurningTheCustomCursorOffRestoresTheArrowAtOnce) {
    setCursorType(kCursorNormal);
    setCustomCursor(true);
    EXPECT_EQ(currentCursorShape(), CursorShape::Hidden);
    setCursorType(kCursorHammer);  // remembered, the system cursor stays hidden
    EXPECT_EQ(currentCursorShape(), CursorShape::Hidden);
    setCursorType(kCursorNormal);
    setCustomCursor(false);
    EXPECT_EQ(currentCursorShape(), CursorShape::Arrow);
    setCursorType(kCursorHelp);
    EXPECT_EQ(currentCursorShape(), CursorShape::Help);
    setCursorType(kCursorNormal);
    endFrame();
}

}  // namespace
