// Edge tiling and the binding between controls and settings.
#include <gtest/gtest.h>

#include "menus/widgets.h"

namespace {

TEST(MenuAtlas, EdgesAreTiledIntoWholeEqualPieces) {
    EXPECT_EQ(edgeTileCount(300, 1.0f), 5);  // 4.69 rounds to 5 tiles of 60 units
    EXPECT_EQ(edgeTileCount(300, 0.5f), 9);
    EXPECT_EQ(edgeTileCount(20, 1.0f), 1);  // never less than one piece
    EXPECT_EQ(edgeTileCount(0, 1.0f), 0);
    EXPECT_EQ(edgeTileCount(-5, 1.0f), 0);
}

TEST(ControlBinding, FadeInShowsTheSettingAndAfterwardsTheControlChangesIt) {
    WidgetRegistry r;
    clearWidgets(r);
    bool tips = true;
    int32_t volume = 60;
    MenuControl box = {-32, 32, 32, -32, kControlCheckBox, 0, 0, 0};
    MenuControl slider = {-100, 15, 100, -15, kControlSlider, 0, 100, 0};

    r.fadingIn = true;
    beginWidgetFrame(r, 16);
    bindCheckBox(r, addControl(r, box), tips);
    bindSlider(r, addControl(r, slider), volume);
    EXPECT_EQ(r.controls[0].flag, 1);
    EXPECT_EQ(r.controls[1].value, 60);

    // The fade ends; a click toggles the box and drags the slider.
    r.fadingIn = false;
    r.controls[0].flag = 0;
    r.controls[1].value = 99;
    beginWidgetFrame(r, 16);
    bindCheckBox(r, addControl(r, box), tips);
    bindSlider(r, addControl(r, slider), volume);
    EXPECT_FALSE(tips);
    EXPECT_EQ(volume, 99);

    // A setting outside the slider's range is shown at its end.
    volume = 500;
    r.fadingIn = true;
    beginWidgetFrame(r, 16);
    addControl(r, box);
    bindSlider(r, addControl(r, slider), volume);
    EXPECT_EQ(r.controls[1].value, 99);
}

TEST(ControlBinding, RegistrationStopsAtTheCapacity) {
    WidgetRegistry r;
    MenuControl c = {};
    for (int i = 0; i < kMenuControlCapacity; ++i) EXPECT_EQ(addControl(r, c), i);
    EXPECT_EQ(addControl(r, c), -1);
    bool flag = true;
    bindCheckBox(r, -1, flag);  // a dropped control binds nothing
    EXPECT_TRUE(flag);
    for (int i = 0; i < kItemHitBoxCapacity; ++i) addItemHitBox(r, 0, 0, 0, 0);
    EXPECT_EQ(addItemHitBox(r, 0, 0, 0, 0), -1);
}

}  // namespace
