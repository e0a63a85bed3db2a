// One effect file for every effect the game starts or spawns, each read with the
// game's readers: complete colour lists and vectors, a sensible atlas cell and blend,
// and external effects that exist and do not name themselves.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "tests/assets/asset_files.h"

namespace {

const char* const kEffectNames[] = {
    "smoke",      "flare1",    "flare",    "flare2",      "flare3",  "tail2",    "molotok",   "molotok2",
    "bonusscore", "blik3",     "hammer",   "hammerbonus", "nomoves", "score",    "scorewow",  "levelover0",
    "barrelex",   "barrelex1", "bomb1_1",  "bomb1_2",     "endtime", "endtime1", "lightning", "krestbomb",
    "delete",     "addbonus",  "prototip", "zep1",        "mask",    "effect01"};

std::set<std::string> effectFilesOnDisk() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(assetPath("effects")))
        if (entry.path().extension() == ".par") names.insert(entry.path().stem().string());
    return names;
}

TEST(EffectFiles, EveryNamedEffectHasAFile) {
    std::set<std::string> onDisk = effectFilesOnDisk();
    for (const char* name : kEffectNames) EXPECT_TRUE(onDisk.count(name)) << name;
    EXPECT_LE(onDisk.size(), 256u);
}

TEST(EffectFiles, EveryFileReadsAsACompleteTemplate) {
    std::set<std::string> onDisk = effectFilesOnDisk();
    for (const std::string& name : onDisk) {
        SCOPED_TRACE(name);
        std::string t = readAsset("effects/" + name + ".par");
        expectCrLfText(name, t, true);
        float list[4];
        for (const char* key : {"color0=", "color0dev=", "color1=", "color1dev=", "polar=", "polardev=",
                                "polarpar=", "polarpardev="})
            EXPECT_EQ(readFloatList(t, list, 4, key), 4) << key;
        for (const char* key : {"color0=", "color1="}) {
            readFloatList(t, list, 4, key);
            for (float v : list) EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << key;
        }
        for (const char* key : {"lissx=", "lissy=", "lissparx=", "lisspary="})
            EXPECT_EQ(readFloatList(t, list, 4, key), 3) << key;
        for (const char* key : {"positiondev=", "speed=", "speeddev="}) {
            size_t at = t.find(key);
            ASSERT_NE(at, std::string::npos) << key;
            EXPECT_EQ(t.compare(at + std::string(key).size(), 1, "("), 0) << key;
        }
        // A key is found by its first occurrence: "rot=" must not be read from "drot=".
        size_t rot = t.find("rot=");
        ASSERT_NE(rot, std::string::npos);
        EXPECT_TRUE(rot == 0 || t[rot - 1] == '\n');
        size_t rotdev = t.find("rotdev=");
        EXPECT_TRUE(rotdev != std::string::npos && t[rotdev - 1] == '\n');
        EXPECT_GT(readFloat(t, "parfrequency="), 0.0f);
        EXPECT_GE(readFloat(t, "partime="), 50.0f);
        int blend = readInt(t, "blendtype=");
        EXPECT_TRUE(blend == 0 || blend == 1);
        int cell = readInt(t, "numparticle=");
        EXPECT_TRUE(cell >= 0 && cell < 64) << cell;
        for (int k = 1; k <= 8; ++k) {
            char key[32], other[32];
            std::snprintf(key, sizeof key, "externeffect%d=", k);
            if (!readString(other, sizeof other, t, key)) continue;
            EXPECT_NE(name, other);
            EXPECT_TRUE(onDisk.count(other)) << other;
        }
    }
}

}  // namespace
