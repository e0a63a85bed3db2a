// Scene files, the game-object file and the scenery's timing, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "app/textures.h"
#include "core/random.h"
#include "presentation/game_objects.h"
#include "presentation/scenery.h"
#include "presentation/scenery_file.h"
#include "resources/files.h"
#include "tests/scenery/scene_builder.h"
#include "tests/support/temp_folder.h"

namespace {

const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

GameObjectTable& objectsFor(const char* text) {
    static GameObjectTable table;
    parseGameObjects(text, table);
    return table;
}

TEST(SceneFile, ReadsEveryFieldOfEachElement) {
    const std::string file = sceneBytes({{"sky_day", -400, 100, 400, 300},
                                         {"leaves1", 10, -20, -30, 40, 12.5f, 3, 4, 1, 0},
                                         {"lantern1", 0, 0, 50, 80, -5, 0, 0, 0, 7}});
    SceneEntry out[8];
    ASSERT_EQ(parseSceneFile(bytesOf(file), file.size(), out, 8), 3);
    EXPECT_STREQ(out[1].name, "leaves1");
    // The rectangle comes out ordered whatever order it was stored in.
    EXPECT_FLOAT_EQ(out[1].x0, -30);
    EXPECT_FLOAT_EQ(out[1].x1, 10);
    EXPECT_FLOAT_EQ(out[1].y0, -20);
    EXPECT_FLOAT_EQ(out[1].y1, 40);
    EXPECT_FLOAT_EQ(out[1].rotation, 12.5f);
    EXPECT_FLOAT_EQ(out[1].vy, 4);
    EXPECT_EQ(out[1].mirrored, 1);
    EXPECT_EQ(out[2].early, 7);
}

TEST(SceneFile, DamagedCountsNeverReachPastTheFile) {
    const std::vector<TestElement> two = {{"sky_day", 0, 0, 1, 1}, {"moon1", 0, 0, 1, 1}};
    SceneEntry out[64];
    const std::string tooMany = sceneBytes(two, 1000000);
    EXPECT_EQ(parseSceneFile(bytesOf(tooMany), tooMany.size(), out, 64), 2);
    // A cut-off last entry is not read.
    EXPECT_EQ(parseSceneFile(bytesOf(tooMany), tooMany.size() - 1, out, 64), 1);
    const std::string negative = sceneBytes(two, -5);
    EXPECT_EQ(parseSceneFile(bytesOf(negative), negative.size(), out, 64), 0);
    EXPECT_EQ(parseSceneFile(bytesOf(negative), 67, out, 64), 0);  // no room for the count
    EXPECT_EQ(parseSceneFile(nullptr, 0, out, 64), 0);
    // More entries than the caller holds: only what fits.
    EXPECT_EQ(parseSceneFile(bytesOf(tooMany), tooMany.size(), out, 1), 1);
    // An unterminated 32-byte name stays a string of 31 characters.
    const std::string longName = sceneBytes({{std::string(40, 'x'), 0, 0, 1, 1}});
    std::string patched = longName;
    std::memset(&patched[68], 'y', 32);
    ASSERT_EQ(parseSceneFile(bytesOf(patched), patched.size(), out, 64), 1);
    EXPECT_EQ(std::strlen(out[0].name), 31u);
    // Infinite and NaN values become 0 rather than poisoning the drawing.
    std::string bad = sceneBytes({{"sky_day", 0, 0, 1, 1}});
    const float inf = INFINITY, nan = NAN;
    std::memcpy(&bad[68 + 48], &inf, 4);
    std::memcpy(&bad[68 + 52], &nan, 4);
    ASSERT_EQ(parseSceneFile(bytesOf(bad), bad.size(), out, 64), 1);
    EXPECT_EQ(out[0].rotation, 0);
    EXPECT_EQ(out[0].vx, 0);
}

TEST(SceneList, SkipsUnknownObjectsAndChoosesKindsByName) {
    const GameObjectTable& objects = objectsFor(
        "[things/]\nsky_day = a.jpg\nwaterfall1 = b.jpg\nwater_day = c.jpg\nspray1 = d.tga\n"
        "leaves1 = e.tga\nleaves2 = f.tga\nleaves3 = g.tga\nlantern1 = h.tga\nmyleaves1x = "
        "i.tga\n[/things]\n");
    const std::string file = sceneBytes({{"sky_day", 0, 0, 1, 1},
                                         {"ghost", 0, 0, 1, 1},
                                         {"waterfall1", 0, 0, 1, 1},
                                         {"water_day", 0, 0, 1, 1},
                                         {"spray1", 0, 0, 1, 1},
                                         {"leaves1", 0, 0, 1, 1},
                                         {"leaves2", 0, 0, 1, 1},
                                         {"leaves3", 0, 0, 1, 1},
                                         {"lantern1", 0, 0, 1, 1},
                                         {"myleaves1x", 0, 0, 1, 1}});
    SceneryList list;
    fillSceneList(list, 3, bytesOf(file), file.size(), objects, false);
    ASSERT_EQ(list.count, 9);  // "ghost" names no object
    const SceneryKind expected[9] = {SceneryKind::Sky,    SceneryKind::Waterfall,  SceneryKind::Water,
                                     SceneryKind::Spray,  SceneryKind::Leaves1,    SceneryKind::Leaves2,
                                     SceneryKind::Leaves, SceneryKind::Decoration, SceneryKind::Leaves1};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(list.elements[i].kind, expected[i]) << i;
    EXPECT_STREQ(list.elements[1].object->name, "waterfall1");
    EXPECT_EQ(list.elements[0].colour, 0xFFFFFFFFu);
}

TEST(SceneList, AMissingFileLeavesTheBackWithoutElements) {
    TempFolder folder;
    SceneryList list;
    list.count = 5;
    loadSceneList(list, 12, objectsFor("[a/]\nsky_day = a.jpg\n[/a]"), true);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.index, 12);
}

TEST(GameObjects, GroupsEntriesAndValues) {
    const GameObjectTable& t = objectsFor(
        "[sky/]\r\nsky_day = sky_day.jpg\r\nsky_night=sky_night.jpg, moon = moon1.tga\r\n[/sky]\r\n"
        "between blocks = ignored.tga\r\n"
        "[models/]\r\n pagoda =   pagoda.cgo\r\n nothing = readme\r\n empty =\r\n next = "
        "n.tga\r\n[/models]\r\n");
    ASSERT_EQ(t.groupCount, 2);
    EXPECT_STREQ(t.groups[0], "sky");
    EXPECT_STREQ(t.groups[1], "models");
    ASSERT_EQ(t.count, 7);
    EXPECT_STREQ(t.objects[1].name, "sky_night");
    EXPECT_STREQ(t.objects[1].file, "sky_night.jpg");
    EXPECT_STREQ(t.objects[2].name, "moon");
    EXPECT_STREQ(t.objects[2].file, "moon1.tga");
    EXPECT_EQ(t.objects[2].group, 0);
    EXPECT_STREQ(t.objects[3].name, "pagoda");
    EXPECT_STREQ(t.objects[3].file, "pagoda.cgo");
    EXPECT_EQ(t.objects[3].group, 1);
    EXPECT_STREQ(t.objects[4].file, "readme");
    // An entry without a value does not swallow the next line's name.
    EXPECT_STREQ(t.objects[5].name, "empty");
    EXPECT_STREQ(t.objects[5].file, "");
    EXPECT_STREQ(t.objects[6].name, "next");
    EXPECT_EQ(findGameObject(t, "next"), &t.objects[6]);
    EXPECT_EQ(findGameObject(t, "Next"), nullptr);
}

TEST(GameObjects, AFileEndingInsideABlockKeepsWhatWasRead) {
    const GameObjectTable& t = objectsFor("[plants/]\nleaves1 = leaves1.tga\nleaves2 = leav");
    ASSERT_EQ(t.count, 2);
    EXPECT_STREQ(t.objects[1].file, "leav");
    EXPECT_EQ(objectsFor("[plan").count, 0);
    EXPECT_EQ(objectsFor("[plants/]\nleaves1 =").count, 1);
    EXPECT_EQ(objectsFor("[plants/]\nleaves1").count, 0);
    // Overlong names are cut to the field, and the table stops at its capacity.
    std::string many = "[g/]\n" + std::string(50, 'n') + " = x.tga\n";
    for (int i = 0; i < kGameObjectCapacity + 10; ++i) many += "o" + std::to_string(i) + " = x.tga\n";
    const GameObjectTable& big = objectsFor(many.c_str());
    EXPECT_EQ(big.count, kGameObjectCapacity);
    EXPECT_EQ(std::strlen(big.objects[0].name), 31u);
}

TEST(Scenery, BackIndicesOutsideTheThirteenShowBackZero) {
    EXPECT_EQ(clampBackIndex(13), 0);
    EXPECT_EQ(clampBackIndex(-1), 0);
    EXPECT_EQ(clampBackIndex(12), 12);
}

class SceneryTiming : public testing::Test {
  protected:
    void SetUp() override {
        resetScenery(s);
        std::memset(&texture, 0, sizeof texture);
        texture.width = texture.height = 64;
    }
    void addElement(SceneryKind kind, float x0, float y0, float x1, float y1) {
        SceneryElement& e = s.elements.elements[s.elements.count++];
        std::memset(&e, 0, sizeof e);
        e.kind = kind;
        e.texture = &texture;
        e.x0 = x0;
        e.y0 = y0;
        e.x1 = x1;
        e.y1 = y1;
    }
    int liveDroplets() const {
        int n = 0;
        for (const Droplet& d : s.droplets) n += d.life > 0;
        return n;
    }
    SceneryState s;
    TextureRecord texture;
};

TEST_F(SceneryTiming, TintEasesTowardItsTargetWithoutOvershooting) {
    setTintTarget(s, 0);
    updateScenery(s, 100);
    EXPECT_NEAR(s.tint[0], 1 - 0.3f * 0.15f, 1e-5);
    EXPECT_FLOAT_EQ(s.tint[2], 1);
    updateScenery(s, 5000);  // a stalled frame lands on the target
    EXPECT_FLOAT_EQ(s.tint[0], 0.7f);
    setTintNow(s, 1);
    EXPECT_FLOAT_EQ(s.tint[1], 0.7f);
    setTintForTimeLeft(s, 30000);  // more than 20 s left: no change
    EXPECT_FLOAT_EQ(s.tintTarget[0], 1);
    setTintForTimeLeft(s, 10000);
    EXPECT_FLOAT_EQ(s.tintTarget[0], 0.75f);
    setTintForTimeLeft(s, -50);
    EXPECT_FLOAT_EQ(s.tintTarget[2], 0.5f);
    setSceneryMenuDim(s, true, 0);
    EXPECT_FLOAT_EQ(s.menuDim, 0.8f);
    setSceneryMenuDim(s, false, 0);
    EXPECT_FLOAT_EQ(s.menuDim, 1);
}

TEST_F(SceneryTiming, SprayIsBornInsideItsRectangleAtItsRateAndTheRingWraps) {
    seedRandom(7);
    addElement(SceneryKind::Spray, -50, -30, 50, 30);  // area 6000: one droplet per 50 ms
    for (int i = 0; i < 10; ++i) updateScenery(s, 20);
    EXPECT_EQ(liveDroplets(), 3);  // at 60, 120 and 180 ms... of phase
    for (const Droplet& d : s.droplets) {
        if (d.life <= 0) continue;
        EXPECT_GE(d.x, -50);
        EXPECT_LE(d.x, 50);
        EXPECT_GE(d.y, -30);
        EXPECT_LE(d.y, 30);
    }
    // Droplets live 2000 ms; the ring of 256 overwrites its oldest.
    addElement(SceneryKind::Spray, -500, -500, 500, 500);  // a droplet every frame
    for (int i = 0; i < 300; ++i) updateScenery(s, 1);
    EXPECT_EQ(liveDroplets(), kDropletCapacity);
    updateScenery(s, 2000);
    EXPECT_LE(liveDroplets(), 2);
    // None while a transition runs.
    for (Droplet& d : s.droplets) d.life = 0;
    s.transitionClock = 1000;
    for (int i = 0; i < 50; ++i) updateScenery(s, 20);
    EXPECT_EQ(liveDroplets(), 0);
}

}  // namespace
