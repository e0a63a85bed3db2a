// Reading effect files: defaults, names, the first-occurrence key search, and every
// effect file the game ships.
#include <string>

#include "particle_fixture.h"

namespace {

using EffectTemplates = ParticleTest;

TEST_F(EffectTemplates, AbsentValuesTakeTheirDefaults) {
    EffectTemplate effect;
    readEffectTemplate(effect, parText({"parfrequency=12", "color1dev=(0.5,0.5"}), "spark.par");
    EXPECT_STREQ(effect.name, "spark");
    EXPECT_EQ(effect.parFrequency, 12);
    // Birth colour white, death colour transparent black: particles fade out.
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(effect.color0[c], 1);
        EXPECT_EQ(effect.color1[c], 0);
        EXPECT_EQ(effect.color1Dev[c], 0) << "an unterminated list stores nothing";
    }
    EXPECT_EQ(effect.speed.x, 0);
    EXPECT_EQ(effect.effectTime, 0);
    EXPECT_EQ(effect.externEffects[0][0], '\0');
}

TEST_F(EffectTemplates, NamesStopAtTheFirstDotAndFitTheirField) {
    EffectTemplate effect;
    readEffectTemplate(effect, "", "flare.big.par");
    EXPECT_STREQ(effect.name, "flare");
    readEffectTemplate(effect, parText({"externeffect2=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}),
                       "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.par");
    EXPECT_EQ(std::string(effect.name), std::string(31, 'b'));
    EXPECT_EQ(std::string(effect.externEffects[1]), std::string(31, 'a'));
}

// Keys are found by their first occurrence in the text, so "rot=" finds the end of a
// "drot=" listed before it; files list "rot=" first to keep the two apart.
TEST_F(EffectTemplates, RotationKeyFindsTheRotationSpeedWhenListedAfterIt) {
    EffectTemplate effect;
    readEffectTemplate(effect, parText({"drot=90", "drotdev=15", "rot=30", "rotdev=5"}), "spin.par");
    EXPECT_EQ(effect.rot, 90);
    EXPECT_EQ(effect.dRot, 90);
    EXPECT_EQ(effect.rotDev, 15);
    EXPECT_EQ(effect.dRotDev, 15);

    readEffectTemplate(effect, parText({"rot=30", "rotdev=5", "drot=90", "drotdev=15"}), "spin.par");
    EXPECT_EQ(effect.rot, 30);
    EXPECT_EQ(effect.dRot, 90);
    EXPECT_EQ(effect.rotDev, 5);
    EXPECT_EQ(effect.dRotDev, 15);
}

// Every effect the game starts by name exists in the built data and makes something
// visible: particles that live, have a size, a known blend and a cell of the atlas,
// and effects it chains to exist too.
TEST_F(EffectTemplates, EveryShippedEffectLoadsAndCanBeSeen) {
    const char* used[] = {"smoke",   "flare1",   "flare",      "flare2",     "flare3",    "tail2",
                          "molotok", "molotok2", "bonusscore", "blik3",      "hammer",    "hammerbonus",
                          "nomoves", "score",    "scorewow",   "levelover0", "barrelex",  "barrelex1",
                          "bomb1_1", "bomb1_2",  "endtime",    "endtime1",   "lightning", "krestbomb",
                          "delete",  "addbonus", "prototip",   "zep1",       "mask",      "effect01"};
    for (const char* folder : {QUELMAR_DATA_DIR "/effects", QUELMAR_SOURCE_DIR "/assets/effects"}) {
        SCOPED_TRACE(folder);
        ASSERT_EQ(loadEffectFiles(*system, folder), 30);
        for (const char* name : used) EXPECT_GE(findEffect(*system, name), 0) << name;
        for (int i = 0; i < system->templateCount; ++i) {
            const EffectTemplate& effect = system->templates[i];
            SCOPED_TRACE(effect.name);
            EXPECT_GT(effect.parFrequency, 0);
            EXPECT_GT(effect.parTime, 0);
            EXPECT_GT(effect.radius0 + effect.radius1, 0);
            EXPECT_TRUE(effect.blendType == kEffectAdditive || effect.blendType == kEffectAlphaBlend);
            EXPECT_GE(effect.numParticle, 0);
            EXPECT_LT(effect.numParticle, 64);
            EXPECT_GE(effect.effectTime, 0);
            EXPECT_GT(effect.color0[3], 0);
            for (const char* other : effect.externEffects)
                if (other[0] != '\0') {
                    EXPECT_GE(findEffect(*system, other), 0) << other;
                }
        }
    }
}

TEST_F(EffectTemplates, AMissingFolderLoadsNothing) {
    EXPECT_EQ(loadEffectFiles(*system, QUELMAR_BINARY_DIR "/no-such-folder"), 0);
    EXPECT_EQ(findEffect(*system, "smoke"), -1);
    startEffect(*system, "smoke", 0, 0);
    EXPECT_EQ(liveParticleCount(*system), 0);
}

}  // namespace
