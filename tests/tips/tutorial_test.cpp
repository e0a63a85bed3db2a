// The tutorial file, the demonstration loop and opening and closing the panel.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/flow.h"
#include "core/profile.h"
#include "core/tips.h"
#include "core/tutorial.h"
#include "helpers.h"

namespace {

GameState g;
Tutorial t;

std::string helpLevel() {
    std::ifstream in(QUELMAR_SOURCE_DIR "/assets/levels/help.lvl", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string figures(const DemoField& f) {
    std::string s;
    for (const auto& row : f.cells)
        for (const Cell& c : row) s += c.figure < 0 ? '-' : static_cast<char>('0' + c.figure);
    return s;
}

std::string covers(const DemoField& f) {
    std::string s;
    for (const auto& row : f.cells)
        for (const Cell& c : row) s += static_cast<char>('0' + c.cover);
    return s;
}

const char* const kShort =
    "field1= 1234 5678\r\n0000 1111\r\nfield2=0123456701234567\r\nfield2type=0120120120120129\r\n"
    "addfigures1=111111111111\r\naddfigures2=222222222222\r\nstep11=1121\r\nstep12=9x21\r\n"
    "step13=0111\r\nstep14=0111\r\nstep21=2131\r\nstep22=2131\r\nstep23=1011\r\nstep24=1222\r\n";

TEST(TutorialFile, ReadsFieldsCoversQueuesAndSteps) {
    parseTutorial(t, helpLevel());
    EXPECT_EQ(figures(t.fields[0]), "2135004024041003");
    EXPECT_EQ(figures(t.fields[1]), "5252351401421540");
    EXPECT_EQ(covers(t.fields[1]), "1112002100110020");
    EXPECT_EQ(t.fields[1].queue[11], 4);
    const DemoStep s = t.fields[1].steps[3];  // "step24=1222"
    EXPECT_TRUE(s.column1 == 1 && s.row1 == 2 && s.column2 == 2 && s.row2 == 2);
    EXPECT_EQ(t.fields[1].cells[3][3].centre.x, cellCentre(3, 3).x + 280.0f);
}

TEST(TutorialFile, DamagedAndMissingKeysLeaveTheRestEmpty) {
    // Digits are gathered across blanks and line ends; covers above two are held at
    // two; a step naming a cell off the 4 x 4 field is left unset.
    parseTutorial(t, kShort);
    EXPECT_EQ(figures(t.fields[0]), "1234567800001111");
    EXPECT_EQ(covers(t.fields[1]), "0120120120120122");
    EXPECT_EQ(t.fields[0].steps[1].column1, 0);
    EXPECT_EQ(t.fields[0].steps[1].column2, 0);
    EXPECT_EQ(t.fields[1].steps[0].column1, 2);

    // Without "field1=" nothing is read.
    std::string text = kShort;
    text.replace(text.find("field1="), 7, "fieldX=");
    parseTutorial(t, text);
    EXPECT_EQ(figures(t.fields[0]), "----------------");
    EXPECT_EQ(figures(t.fields[1]), "----------------");
    EXPECT_EQ(t.fields[1].queue[0], -1);

    // Without "addfigures2=": no refills there and every step unset.
    text = kShort;
    text.replace(text.find("addfigures2="), 12, "addfigureZ2=");
    parseTutorial(t, text);
    EXPECT_EQ(t.fields[0].queue[0], 1);
    EXPECT_EQ(t.fields[1].queue[0], -1);
    EXPECT_EQ(t.fields[1].steps[0].column1, 0);

    // A blank line ends the file; a list cut short keeps what it got.
    parseTutorial(t, "field1=12\r\n\r\nfield2=1111111111111111");
    EXPECT_EQ(figures(t.fields[0]), "12--------------");
    EXPECT_EQ(figures(t.fields[1]), "----------------");
    parseTutorial(t, "");
    EXPECT_EQ(figures(t.fields[0]), "----------------");
}

TEST(TutorialFile, DemonstrationFiguresAreDistinct) {
    int32_t table[kFigureTableSize] = {0, 0, 0, 5, 5, 9, 7};
    distinctDemoFigures(table);
    bool seen[6] = {};
    for (int k = 0; k < 6; ++k) {
        ASSERT_TRUE(table[k] >= 0 && table[k] < 6 && !seen[table[k]]) << k << ": " << table[k];
        seen[table[k]] = true;
    }
    EXPECT_EQ(table[6], 7);
}

TEST(TutorialLoop, LeftFieldTwoStepsRightFieldFourThenReload) {
    Recorder recorder;
    const std::string text = helpLevel();
    resetGameState(g);
    startTutorial(t, g, false, text);
    int rounds = 0;
    int phases[2] = {0, 0};
    int steps[2] = {0, 0};
    int deletes = 0;
    for (int frame = 0; frame < 6000 && rounds < 2; ++frame) {
        updateTutorial(t, 16.0f);
        for (int k = 0; k < 2; ++k) {
            const DemoField& f = t.fields[k];
            // A swap starts only on a full field at rest.
            if (f.phase == 5 && phases[k] != 5) {
                EXPECT_EQ(figures(f).find('-'), std::string::npos) << figures(f);
                for (const auto& row : f.cells)
                    for (const Cell& c : row) EXPECT_TRUE(atRest(c) || c.onTop);
            }
            phases[k] = f.phase;
            if (f.stepIndex > steps[k]) {  // every step clears a line
                const int now = recorder.count(Announce::Effect, "delete");
                EXPECT_GE(now - deletes, 3) << "field " << k << " step " << f.stepIndex;
                deletes = now;
            }
        }
        // The right field waits for the left one, which stops after two steps.
        EXPECT_LE(t.fields[0].stepIndex, 2);
        if (t.fields[1].stepIndex > 0) {
            ASSERT_EQ(t.fields[0].stepIndex, 2);
        }
        if (steps[1] == 4 && t.fields[1].stepIndex == 0) {
            ++rounds;
            EXPECT_EQ(covers(t.fields[1]), "1112002100110020");  // reloaded from the file
            EXPECT_EQ(t.fadeClock, kDemoFadeMs);
        }
        if (t.fields[1].stepIndex == 4) {
            EXPECT_EQ(covers(t.fields[1]), "0000000000000000");
        }
        steps[0] = t.fields[0].stepIndex;
        steps[1] = t.fields[1].stepIndex;
    }
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(recorder.count(Announce::FloatingText, "click"), 2 * 6 * 2);
    EXPECT_TRUE(recorder.has(Announce::BreakCover));
}

class TutorialPanel : public ::testing::Test {
  protected:
    Profile profile = makeProfile("tester");
    void SetUp() override {
        gameProfile = &profile;
        setUpBoard(g, quietBoard(), 0);
    }
    void TearDown() override {
        static Profile rest = makeProfile("");
        gameProfile = &rest;
        tutorial = {};
    }
};

TEST_F(TutorialPanel, RunsInsteadOfPlayAndClosesByKeyOrOk) {
    startTutorial(tutorial, g, false, helpLevel());
    const float elapsed = g.elapsed;
    for (int f = 0; f < 100; ++f) updateGame(g, 10.0f);
    EXPECT_EQ(g.elapsed, elapsed);
    EXPECT_GT(tutorial.fields[0].phase + tutorial.fields[0].stepIndex, 0);
    // A click beside the button does nothing; a key closes the panel.
    onLeftDown(g, cellCentre(0, 0));
    EXPECT_TRUE(g.tutorialOn && tutorial.on);
    onKey(g, 'a');
    EXPECT_FALSE(g.tutorialOn || tutorial.on);
    updateGame(g, 10.0f);
    EXPECT_GT(g.elapsed, elapsed);

    // Opened from the help screen, the OK button closes it and the "info" menu returns.
    Recorder recorder;
    startTutorial(tutorial, g, true, helpLevel());
    EXPECT_EQ(tutorial.figureTable[3], 3);
    onLeftDown(g, {30.0f, -175.0f});
    EXPECT_FALSE(g.tutorialOn || tutorial.on);
    EXPECT_TRUE(recorder.has(Announce::Menu, "info"));
}

}  // namespace
