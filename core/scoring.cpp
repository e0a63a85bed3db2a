// Points shown on screen, combo words, the chain bonus, extra lives, the end of a
// level with its bonus count-up and level-over animation, and the tip box state.
#include <algorithm>
#include <cmath>

#include "core/announce.h"
#include "core/profile.h"
#include "core/random.h"
#include "core/rules.h"
#include "core/tips.h"
#include "resources/trace.h"

namespace {

constexpr float kPi = 3.14159265358979f;

int modeIndex(const GameState& g) {
    return g.mode ? 1 : 0;
}

void floatingText(const char* key, int value, float x, float y, float size, float life) {
    announce({Announce::FloatingText, key, x, y, 0, 0, value, size, life});
}

void addLevelBonus(GameState& g) {
    const long long before = static_cast<long long>(gameProfile->score[modeIndex(g)]) + g.displayedScore;
    g.displayedScore += g.levelBonus;
    g.levelScore += g.levelBonus;
    if (g.mode == 0) extraLifeTest(g, before, before + g.levelBonus);
}

// The score on screen jumps to the level score: from here on the statistics, the
// records and the total all get this one number. An extra life the jump passes is
// granted as the count would have granted it.
void settleDisplayedScore(GameState& g) {
    if (g.displayedScore == g.levelScore) return;
    const long long banked = gameProfile->score[modeIndex(g)];
    const long long before = banked + g.displayedScore;
    g.displayedScore = g.levelScore;
    if (g.mode == 0) extraLifeTest(g, before, banked + g.displayedScore);
}

// The level score joins the player's total, once.
void bankLevelScore(GameState& g) {
    if (g.levelBanked) return;
    g.levelBanked = 1;
    settleDisplayedScore(g);
    gameProfile->score[modeIndex(g)] += g.displayedScore;
}

void finishCountUp(GameState& g) {
    g.bonusTarget = g.levelBonus;
    g.displayedBonus = g.levelBonus;
    g.countUpClock = g.countUpDuration + 1400.0f;
    g.bonusCountUp = 0;
    addLevelBonus(g);
    levelComplete(g);
}

}  // namespace

void countScore(GameState& g, float dt) {
    const long long banked = gameProfile->score[modeIndex(g)];
    const long long before = banked + g.displayedScore;
    const int behind = g.levelScore - g.displayedScore;
    const float step = static_cast<float>(behind) * dt * 0.01f;
    if (step > 1.0f) {
        g.displayedScore += step < static_cast<float>(behind) ? static_cast<int>(step) : behind;
        startEffect("score", -342.0f, 238.0f);
    } else {
        g.displayedScore = g.levelScore;
    }
    if (g.bonusCountUp) {
        const int bonusBehind = g.bonusTarget - g.displayedBonus;
        const float bonusStep = static_cast<float>(bonusBehind) * dt * 0.01f;
        if (bonusStep > 1.0f)
            g.displayedBonus +=
                bonusStep < static_cast<float>(bonusBehind) ? static_cast<int>(bonusStep) : bonusBehind;
        else
            g.displayedBonus = g.bonusTarget;
    }
    if (g.mode == 0) extraLifeTest(g, before, banked + g.displayedScore);
}

// One life when the total passes the next multiple of 200 000 above the old total.
void extraLifeTest(GameState& g, long long before, long long after) {
    if (g.mode != 0) return;
    const long long next = (before / 200000 + 1) * 200000;
    if (before < next && next <= after) {
        gameProfile->lives[0] += 1;
        announce({Announce::FlyingLetters, "getlife", 90.0f, 100.0f, 0, 0, 0, 30.0f, 0});
        playSound("addlife.ogg");
        announceSimple(Announce::HeartPulse);
    }
}

void comboWords(GameState& g) {
    const int k = g.combo;
    const int n = g.figureCount;
    int good = 5, perfect = 7, excellent = 9;
    if (n < 7) {
        good = 6;
        perfect = 8;
        excellent = 10;
    } else if (n >= 10) {
        good = 4;
        perfect = 5;
        excellent = 6;
    }
    if (k < good) return;
    playSound("superchain.ogg");
    if (k < perfect) {
        floatingText("good", -1, 90.0f, 35.0f, 20.0f, 2000.0f);
        floatingText("combo", k, 90.0f, 0.0f, 20.0f, 2000.0f);
    } else if (k < excellent) {
        floatingText("perfect", -1, 90.0f, 40.0f, 20.0f, 2000.0f);
        floatingText("combo", k, 90.0f, -5.0f, 20.0f, 2000.0f);
    } else {
        floatingText("excellent", -1, 90.0f, 45.0f, 20.0f, 2000.0f);
        floatingText("combo", k, 90.0f, -15.0f, 20.0f, 2000.0f);
    }
}

void chainBonus(GameState& g) {
    if (g.chainCount <= 0) return;
    const int bonus = g.chainCount * 250;
    floatingText("megaboom", bonus, 90.0f, 15.0f, 25.0f, 4000.0f);
    playSound("combobonus.ogg");
    g.levelScore += bonus;
    g.chainCount = 0;
}

int levelBonusFor(int level, float durationMs) {
    const double root = std::sqrt(static_cast<double>(level + 1));
    double sum = 0.0;
    for (double t = 0.0; t < durationMs - 50.0; t += 50.0) sum += root * (2.0 * t / 1000.0 + 10.0) * 5.0;
    const int bonus = static_cast<int>(sum);
    return bonus - bonus % 10;
}

void levelClearCheck(GameState& g) {
    if (g.levelOver || g.bonusCountUp || g.tip.showing || g.tilesLeft >= 1 || g.demo) return;
    // The cascade runs to its end first: points it still earns belong to the level.
    if (anyFlyingPiece(g) || !settled(g) || g.resolving) {
        g.clearedWaiting = 1;
        return;
    }
    g.clearedWaiting = 0;
    if (!gameProfile->tipFlags[static_cast<int>(TipKey::GameTip5)]) {
        offerTip(g, static_cast<int>(TipKey::GameTip5), 200.0f, 0.0f, 0.0f, true);
        if (g.tip.showing) return;  // the end waits until the tip is closed
    }
    if (g.stock.hammers > 0) {
        const int points = g.stock.hammers * 500;
        g.levelScore += points;
        startEffect("hammerbonus", g.stock.hammerIcon.x, g.stock.hammerIcon.y);
        announce(
            {Announce::ScorePopup, nullptr, g.stock.hammerIcon.x, g.stock.hammerIcon.y, 0, 0, points, 0, 0});
        g.stock.hammers = 0;
    }
    if (g.stock.clocks > 0) {
        const int points = g.stock.clocks * 500;
        g.levelScore += points;
        startEffect("hammerbonus", g.stock.clockIcon.x, g.stock.clockIcon.y);
        announce(
            {Announce::ScorePopup, nullptr, g.stock.clockIcon.x, g.stock.clockIcon.y, 0, 0, points, 0, 0});
        g.stock.clocks = 0;
    }
    if (g.mode == 0) {
        g.bonusCountUp = 1;
        g.levelOver = 1;
        if (g.elapsed < 0.0f) g.elapsed = 0.0f;
        g.countUpClock = 0.0f;
        g.bonusTickClock = 0.0f;
        g.bonusStepClock = 0.0f;
        // Cleared in the grace time after the fuse burnt down: no time is left to count.
        const float left = std::max(0.0f, g.timeLimit - g.elapsed);
        g.countUpDuration = g.timeLimit > 0.0f ? left / g.timeLimit * 3000.0f : 0.0f;
        g.levelBonus = levelBonusFor(g.level, g.countUpDuration);
        g.bonusTarget = 0;
        g.displayedBonus = 0;
        const float t = g.countUpDuration;
        const float e = t > 0.0f ? (left - 0.3f * t) / (t * t) : 0.0f;
        announce({Announce::FuseParameters, nullptr, 0.3f, e, 0, 0, 0, 0, 0});
        announceSimple(Announce::DropSparkles);
    } else {
        levelComplete(g);
    }
    announce(
        {Announce::FlyingLetters, "levelcomplete", 90.0f, g.mode == 0 ? 40.0f : 0.0f, 0, 0, 0, 30.0f, 0});
    announceSimple(Announce::SceneTint, nullptr, 2);
    announceSimple(Announce::Music, nullptr, 3);
    g.levelOverStyle = randomBelow(2);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover < 0) continue;
            c.blinkTimer = 150.0f + randomSigned(150.0f);
            if (g.levelOverStyle == 0) c.cellVelocity = {randomSigned(4.0f), 3.0f + randomSigned(2.5f)};
        }
}

void updateBonusCountUp(GameState& g, float dt) {
    if (!g.bonusCountUp || g.gameMenuOpen) return;
    const float t = g.countUpDuration;
    g.countUpClock += dt;
    const float u = g.countUpClock;
    if (u > 1400.0f && u < t + 1400.0f && u <= t + 3000.0f) {
        g.bonusTickClock += dt;
        if (g.bonusTickClock >= 150.0f) {
            g.bonusTickClock -= 150.0f;
            playSound("timebonus.ogg", static_cast<int>((u - 1400.0f) / t * 25000.0f + 20000.0f));
        }
        g.bonusStepClock += dt;
        while (g.bonusStepClock >= 50.0f) {
            g.bonusStepClock -= 50.0f;
            const double add =
                std::sqrt(static_cast<double>(g.level + 1)) * (2.0 * (u - 1400.0f) / 1000.0 + 10.0) * 5.0;
            g.bonusTarget = static_cast<int>(g.bonusTarget + add);
        }
    }
    if (u >= t + 1400.0f) finishCountUp(g);
}

void onLevelOverClick(GameState& g) {
    if (g.levelOverClock < 300.0f) return;
    announceSimple(Announce::Pointer, nullptr, 0);
    if (!g.completeMenuShown) {
        if (g.mode == 0 && g.bonusCountUp) finishCountUp(g);
        announceSimple(Announce::Menu, "levelcomplete");
        g.gameMenuOpen = 1;
        g.completeMenuShown = 1;
        return;
    }
    if (!g.completeMenuClosed || g.advanced) return;
    g.advanced = 1;
    const int mode = modeIndex(g);
    bankLevelScore(g);
    g.level += 1;
    if (g.level < kLevelCount) setCurrentLevel(*gameProfile, mode, g.level);
    announceSimple(Announce::ClearPresentation);
    if (g.level >= kLevelCount) {
        announceSimple(Announce::ModeScreen);
    } else {
        g.transition = 1;
        g.transitionClock = 0.0f;
        announceSimple(Announce::AnimatedBackground, nullptr, g.nextAnimBack);
    }
}

void closeLevelCompleteMenu(GameState& g) {
    g.gameMenuOpen = 0;
    g.completeMenuClosed = 1;
}

float levelTimeMs(const GameState& g) {
    return g.mode == 0 ? g.elapsed : g.playTime;
}

void levelComplete(GameState& g) {
    playSound("Level_Complete.ogg");
    const int mode = modeIndex(g);
    advanceProgress(*gameProfile, mode);
    // The records keep the score the statistics will show, not the count's current one.
    settleDisplayedScore(g);
    announce({Announce::LevelRecords, nullptr, levelTimeMs(g), 0, 0, 0, g.displayedScore, 0, 0});
    announceSimple(Announce::SaveAll);
    g.levelOver = 1;
    trace("level %d won score %d", g.level + 1, static_cast<int>(g.displayedScore));
}

void levelOverAnimation(GameState& g, float dt) {
    if (!g.levelOver) return;
    const float before = g.levelOverClock;
    g.levelOverClock += dt;
    const float clock = g.levelOverClock;
    if (clock > 1000.0f && clock < 2000.0f) {
        const float length = (2000.0f - clock) / 400.0f;
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                Cell& c = g.cells[i][j];
                if (c.cover < 0) continue;
                const float angle = (clock - 10.0f * i - 10.0f * j) * kPi / 180.0f;
                c.cellOffset = {length * std::cos(angle), length * std::sin(angle)};
            }
    } else if (clock > 2000.0f && clock < 5000.0f) {
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                Cell& c = g.cells[i][j];
                if (c.cover < 0) continue;
                if (g.levelOverStyle == 0) {
                    c.cellOffset.x += c.cellVelocity.x * dt * 0.02f;
                    c.cellOffset.y += c.cellVelocity.y * dt * 0.02f;
                    c.cellVelocity.y -= 0.0004f * dt;
                } else {
                    const float px = c.centre.x + c.cellOffset.x - 90.0f;
                    const float py = c.centre.y + c.cellOffset.y;
                    const float turn = 6.0f * dt * kPi / 180.0f;
                    const float vx = px * std::cos(turn) - py * std::sin(turn);
                    const float vy = px * std::sin(turn) + py * std::cos(turn);
                    c.cellVelocity = {vx, vy};
                    const float length = std::sqrt(vx * vx + vy * vy);
                    if (length > 0.0f) {
                        c.cellOffset.x += vx / length * dt * 0.1f;
                        c.cellOffset.y += vy / length * dt * 0.1f;
                    }
                }
                c.blinkTimer += dt;
                if (c.blinkTimer > 300.0f) {
                    startEffect("levelover0", c.centre.x + c.cellOffset.x, c.centre.y + c.cellOffset.y);
                    c.blinkTimer = 0.0f;
                }
            }
    }
    if (before <= 3000.0f && clock > 3000.0f) announceSimple(Announce::Music, nullptr, 0);
}

void offerTip(GameState& g, int key, float x, float y, float delay, bool modal) {
    // After the time-up no box may open: the time-up sequence takes every click. A help
    // page's field only shows the game.
    if (g.tip.showing || g.clearedWaiting || g.timeUp || g.demo) return;
    uint8_t* const flag = key >= 1 ? tipFlag(*gameProfile, key) : nullptr;
    if (flag != nullptr && (*flag || !gameTipsShown())) return;
    if (key == static_cast<int>(TipKey::GameTip4)) {
        if (gameProfile->gameTip4Count > 1) return;
    }
    if (!tipAllowed(g, key)) return;
    if (key == static_cast<int>(TipKey::GameTip4)) gameProfile->gameTip4Count += 1;
    if (flag != nullptr) *flag = 1;
    g.tipShownThisLevel = 1;
    g.tip.key = key;
    g.tip.position = {x, y};
    g.tip.delay = delay;
    g.tip.modal = modal ? 1 : 0;
    g.tip.pointing =
        key == static_cast<int>(TipKey::GameTip5) || key == static_cast<int>(TipKey::NoMoreMoves) ? 0 : 1;
    g.tip.showing = 1;
    if (key == static_cast<int>(TipKey::NoMoreMoves)) resetHintTimer(g);
    announce({Announce::TipShown, tipKeyName(key), x, y, 0, 0, g.tip.modal, 0, 0});
}

void closeTip(GameState& g) {
    if (!g.tip.showing) return;
    g.tip.showing = 0;
    announceSimple(Announce::TipClosed, tipKeyName(g.tip.key));
}

void updateTip(GameState& g, float dt, bool clicked) {
    if (!g.tip.showing) return;
    if (g.clearedWaiting) {
        closeTip(g);
        return;
    }
    if (g.tip.delay > 0.0f) {
        if (!clicked) g.tip.delay -= dt;
        return;
    }
    if (g.tip.delay > -250.0f) {
        if (!clicked) g.tip.delay -= dt;
    } else if (clicked) {
        closeTip(g);
        playSound("menu.ogg");
        if (g.noMoves) startReshuffle(g);
        return;
    }
    if (!g.tip.modal && g.playerMovePending) closeTip(g);
}

void bankWonLevel(GameState& g) {
    if (!g.levelOver || g.advanced || g.levelBanked) return;
    if (g.bonusCountUp) finishCountUp(g);  // progress and records, with the whole bonus
    bankLevelScore(g);
    announceSimple(Announce::SaveAll);
}
