// Power-ups going off, the strikes of each kind, flying pieces, and the hammer and
// clock the player takes from the stock.
#include <algorithm>
#include <cmath>

#include "core/announce.h"
#include "core/random.h"
#include "core/rules.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kWaveReach = 11;  // distance a line bomb's wave covers
constexpr float kWaveStepMs = 30.0f;

float durationOf(int type) {
    return type == kBomb ? 100.0f : type == kLightning ? 500.0f : 350.0f;
}

// The next explosion slot; the ring overwrites its oldest entry.
Explosion& takeExplosion(GameState& g) {
    if (g.nextExplosion < 0 || g.nextExplosion >= kExplosionCapacity) g.nextExplosion = 0;
    Explosion& e = g.explosions[g.nextExplosion];
    g.nextExplosion = (g.nextExplosion + 1) % kExplosionCapacity;
    return e;
}

void strike(GameState& g, int i, int j, int type) {
    if (!isValid(g, i, j)) return;
    Cell& c = g.cells[i][j];
    if (c.figure < 0 || c.removeMark != 0) return;
    if (c.powerup > 0) {
        c.removeMark = 1;
    } else if (type == kBomb) {
        c.removeMark = 1;
    } else if (type == kLightning) {
        c.removeMark = 3;
        startEffect("lightning", c.centre.x, c.centre.y);
    }
    c.hit = 1;
}

bool onLines(int type, int di, int dj) {
    const bool straight = (di == 0) != (dj == 0);
    const bool diagonal = di != 0 && std::abs(di) == std::abs(dj);
    if (type == kCrossBomb) return straight;
    if (type == kDiagonalBomb) return diagonal;
    return straight || diagonal;  // star bomb
}

// Every cell of the bomb's lines at distance k (the centre at k = 0).
template <typename Visit>
void forEachAtDistance(int type, int i, int j, int k, Visit visit) {
    if (k == 0) {
        visit(i, j);
        return;
    }
    static const int directions[8][2] = {{0, 1}, {0, -1}, {1, 0},  {-1, 0},
                                         {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto& d : directions)
        if (onLines(type, d[0], d[1])) visit(i + d[0] * k, j + d[1] * k);
}

void startExplosion(GameState& g, Explosion& e) {
    e.started = 1;
    g.resolveWait = std::max(g.resolveWait, e.duration);
    if (e.type != kLightning) announceSimple(Announce::Shake);
    const float x = e.point.x;
    const float y = e.point.y;
    const int i = e.row;
    const int j = e.column;
    switch (e.type) {
        case kBomb: {
            playSound("bomb1.ogg");
            startEffect("bomb1_1", x, y);
            static const int cells[12][2] = {{0, 1}, {0, -1},  {0, 2},  {0, -2}, {1, -1}, {1, 0},
                                             {1, 1}, {-1, -1}, {-1, 0}, {-1, 1}, {2, 0},  {-2, 0}};
            for (const auto& d : cells) strike(g, i + d[0], j + d[1], kBomb);
            break;
        }
        case kLightning: {
            playSound("lightning.ogg");
            const int figure = inBounds(i, j) ? g.cells[i][j].figure : -1;
            if (figure >= 0) {
                for (int r = 0; r < kRows; ++r)
                    for (int c = 0; c < kColumns; ++c)
                        if (g.cells[r][c].figure == figure) strike(g, r, c, kLightning);
                g.arcCount = 0;
                g.arcs[g.arcCount++] = {e.point, 0xFFFFFFFFu, 500.0f};
                for (int r = 0; r < kRows; ++r)
                    for (int c = 0; c < kColumns; ++c) {
                        const Cell& cell = g.cells[r][c];
                        if (cell.figure != figure || cell.removeMark != 3 ||
                            g.arcCount >= kLightningArcCapacity)
                            continue;
                        const uint32_t red = 40 + static_cast<uint32_t>(randomBelow(215));
                        const uint32_t green = 40 + static_cast<uint32_t>(randomBelow(215));
                        const uint32_t blue = 40 + static_cast<uint32_t>(randomBelow(215));
                        g.arcs[g.arcCount++] = {cell.centre, 0xFF000000u | red << 16 | green << 8 | blue,
                                                500.0f};
                    }
            }
            break;
        }
        default: {
            playSound(e.type == kCrossBomb      ? "bomb2.ogg"
                      : e.type == kDiagonalBomb ? "bomb3.ogg"
                                                : "bomb4.ogg");
            startEffect("prototip", x, y);
            for (int k = 1; k <= kWaveReach; ++k)
                forEachAtDistance(e.type, i, j, k, [&g, &e](int r, int c) { strike(g, r, c, e.type); });
            break;
        }
    }
    setOffPowerups(g, 1.0f);
}

// Marks the wave of a line bomb from the next unmarked distance up to reach. The
// next distance lives in the explosion's first reserved byte, so a long frame never
// skips a distance. The centre is left alone: its figure was marked when the bomb was
// set off, or it carries the power-up made there in the same pass, which must stay.
void advanceWave(GameState& g, Explosion& e, int reach) {
    reach = std::min(reach, kWaveReach);
    for (int k = std::max<int>(e.reserved[0], 1); k <= reach; ++k)
        forEachAtDistance(e.type, e.row, e.column, k, [&g](int r, int c) {
            if (!isValid(g, r, c)) return;
            Cell& cell = g.cells[r][c];
            cell.removeMark = 1;
            startEffect("krestbomb", cell.centre.x, cell.centre.y);
        });
    if (reach + 1 > e.reserved[0]) e.reserved[0] = static_cast<uint8_t>(reach + 1);
}

void liftPieces(GameState& g, const Explosion& e, float dt) {
    const float rise = std::cos(e.clock / 200.0f * 80.0f * kPi / 180.0f) * dt * 0.2f;
    for (int c = e.column - 2; c <= e.column + 2; ++c) {
        if (c < 0 || c >= kColumns) continue;
        for (int r = e.row - 1; r >= 0; --r) {
            Cell& cell = g.cells[r][c];
            if (cell.cover < 0) break;  // a hole between the cell and the bomb's row
            if (cell.chained == 0 && cell.figure >= 0) cell.offset.y += rise;
        }
    }
}

Vec2 iconOf(const GameState& g, bool hammer) {
    return hammer ? g.stock.hammerIcon : g.stock.clockIcon;
}

Vec2 lerp(Vec2 a, Vec2 b, float u) {
    return {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u};
}

float ease(float u) {
    return std::sin(std::clamp(u, 0.0f, 1.0f) * kPi / 2.0f);
}

void grant(GameState& g, bool hammer) {
    if (hammer) {
        g.stock.hammers += 1;
        g.stock.hammerWobble = -2000.0f;
        g.stock.hammerParticle = 0.0f;
    } else {
        g.stock.clocks += 1;
        g.stock.clockWobble = -2000.0f;
        g.stock.clockParticle = 0.0f;
    }
}

}  // namespace

void setOffPowerups(GameState& g, float delayFactor) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& c = g.cells[i][j];
            if (c.cover < 0 || c.figure < 0 || c.removeMark <= 0 || c.powerup <= 0 || c.powerup > kStarBomb)
                continue;
            Explosion& e = takeExplosion(g);
            e = {};
            e.type = c.powerup;
            e.row = i;
            e.column = j;
            e.point = c.centre;
            e.clock = -50.0f * delayFactor;
            e.duration = durationOf(c.powerup);
            g.powerupsSetOff[c.powerup] += 1;
            if (c.queuedPowerup == 0) {
                c.removeMark = 1;
                c.powerup = 0;
            } else {
                c.removeMark = 0;
                c.powerup = c.queuedPowerup;
            }
            c.queuedPowerup = 0;
            if (delayFactor > 0.0f) {
                g.chainCount += 1;
                g.chainTotal += 1;
            }
        }
}

void updateExplosions(GameState& g, float dt) {
    for (Explosion& e : g.explosions) {
        if (e.type == 0) continue;
        if (e.clock < 0.0f) {
            e.clock += dt;
            continue;
        }
        if (!e.started) {
            startExplosion(g, e);
            continue;
        }
        e.clock += dt;
        if (e.type != kLightning && e.clock < 200.0f) liftPieces(g, e, dt);
        if (e.type == kLightning) {
            for (int k = 1; k < g.arcCount; ++k)
                if (g.arcs[k].timer > 0.0f) g.arcs[k].timer -= dt;
        }
        const bool ends = e.clock > e.duration;
        if (e.type == kCrossBomb || e.type == kDiagonalBomb || e.type == kStarBomb)
            advanceWave(g, e, ends ? kWaveReach : static_cast<int>(std::min(e.clock / kWaveStepMs, 11.0f)));
        if (ends) {
            if (e.type == kBomb) startEffect("bomb1_2", e.point.x, e.point.y);
            if (e.type == kLightning) g.arcCount = 0;
            e.type = 0;
        }
    }
}

// Before a removal step: waves that have started but not reached their end are
// completed, so no cell of a line bomb's lines is left behind by the removal.
void finishWaves(GameState& g) {
    for (Explosion& e : g.explosions)
        if (e.started && (e.type == kCrossBomb || e.type == kDiagonalBomb || e.type == kStarBomb) &&
            e.reserved[0] <= kWaveReach)
            advanceWave(g, e, kWaveReach);
}

void addFlyingPiece(GameState& g, int kindPlusOne, Vec2 point, int type) {
    if (g.nextFlying < 0 || g.nextFlying >= kFlyingPieceCapacity) g.nextFlying = 0;
    // The ring overwrites its oldest entry, but never a pick-up on its way to the stock:
    // that one is the player's. Falling figures are only a picture and may go.
    int slot = -1;
    for (int n = 0; n < kFlyingPieceCapacity && slot < 0; ++n) {
        const int at = (g.nextFlying + n) % kFlyingPieceCapacity;
        if (g.flying[at].kind == 0 || g.flying[at].type == kFlyFigure) slot = at;
    }
    const bool pickup = type != kFlyFigure;
    if (slot < 0) {  // every entry is a pick-up in flight: a new one reaches the stock at once
        if (pickup) grant(g, type == kFlyHammerBottom || type == kFlyHammerRemoved);
        return;
    }
    FlyingPiece& f = g.flying[slot];
    g.nextFlying = (slot + 1) % kFlyingPieceCapacity;
    f = {};
    f.kind = kindPlusOne;
    f.type = type;
    f.point = point;
    f.p1 = point;
    if (type == kFlyFigure) {
        f.velocity = {randomSigned(0.36f), 0.15f + randomUnit(0.15f)};
        f.spin[0] = randomSigned(0.3f);
        f.spin[1] = 0.6f * f.spin[0];
        f.angle[1] = static_cast<float>(g.flyingCounter);
        g.flyingCounter = g.flyingCounter <= -50 ? 0 : g.flyingCounter - 10;
        return;
    }
    const bool hammer = type == kFlyHammerBottom || type == kFlyHammerRemoved;
    const Vec2 icon = iconOf(g, hammer);
    if (type == kFlyHammerBottom || type == kFlyClockBottom) f.p1 = {point.x, point.y - 50.0f};
    float dx = icon.x - f.p1.x;
    float dy = icon.y - f.p1.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        dx /= length;
        dy /= length;
    }
    f.p2 = {f.p1.x - 25.0f * dx, f.p1.y - 25.0f * dy};
    f.p3 = {icon.x + 25.0f * dx, icon.y + 25.0f * dy};
}

void updateFlyingPieces(GameState& g, float dt) {
    for (FlyingPiece& f : g.flying) {
        if (f.kind == 0) continue;
        if (f.type == kFlyFigure) {
            f.velocity.y -= 0.001f * dt;
            f.point.x += f.velocity.x * dt;
            f.point.y += f.velocity.y * dt;
            f.angle[0] += dt * f.spin[0];
            f.angle[1] += dt * f.spin[1];
            if (std::fabs(f.point.y) > 330.0f) f.kind = 0;
            continue;
        }
        const bool hammer = f.type == kFlyHammerBottom || f.type == kFlyHammerRemoved;
        const Vec2 icon = iconOf(g, hammer);
        f.age += dt;
        // Collected at the bottom: rise to P1, pull back to P2, overshoot to P3, settle on
        // the icon. Removed from the field: the same last three phases in 1200 ms.
        const bool bottom = f.type == kFlyHammerBottom || f.type == kFlyClockBottom;
        const float start = bottom ? 1000.0f : 0.0f;
        const float pull = bottom ? 400.0f : 200.0f;
        const float cross = bottom ? 800.0f : 600.0f;
        const float end = start + pull + cross + 400.0f;
        const float a = f.age;
        if (bottom && a < start) {
            const float fraction = std::min(1.0f, 0.006f * dt);
            f.point = lerp(f.point, f.p1, fraction);
        } else if (a < start + pull) {
            f.point = lerp(f.p1, f.p2, ease((a - start) / pull));
        } else if (a < start + pull + cross) {
            f.point = lerp(f.p2, f.p3, ease((a - start - pull) / cross));
        } else if (a < end) {
            f.point = lerp(f.p3, icon, ease((a - start - pull - cross) / 400.0f));
        } else {
            grant(g, hammer);
            f.kind = 0;
        }
    }
}

bool anyFlyingPiece(const GameState& g) {
    for (const FlyingPiece& f : g.flying)
        if (f.kind != 0) return true;
    return false;
}

void collectPickup(GameState& g, int i, int j) {
    Cell& c = g.cells[i][j];
    const bool hammer = c.figure == kHammerPickup;
    addFlyingPiece(g, hammer ? 101 : 102, c.centre, hammer ? kFlyHammerBottom : kFlyClockBottom);
    playSound("hammeradd.ogg");
    if (g.selection.state && g.selection.pickedRow == i && g.selection.pickedColumn == j) dropSelection(g);
    c.figure = -1;
}

void takeHammer(GameState& g) {
    if (g.stock.hammers <= 0 || g.hammerMode != 0) return;
    g.stock.hammers -= 1;
    g.hammerMode = 1;
    dropSelection(g);
    startEffect("hammer", g.pointer.x, g.pointer.y);
    announceSimple(Announce::Pointer, nullptr, 1);
    if (g.tip.showing && g.tip.key == static_cast<int>(TipKey::UseHammer)) closeTip(g);
}

void hammerStrike(GameState& g, int i, int j) {
    startEffect("hammer", g.pointer.x, g.pointer.y);
    playSound("hammer.ogg");
    static const int cells[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& d : cells) {
        if (!isValid(g, i + d[0], j + d[1])) continue;
        Cell& c = g.cells[i + d[0]][j + d[1]];
        c.removeMark = 1;
        c.hit = 1;
    }
    g.resolving = 1;
    g.resolveWait = 50.0f;
    setOffPowerups(g, 0.0f);
    updateExplosions(g, 0.0f);
    g.hammerMode = 0;
    g.hammersUsed += 1;
    announceSimple(Announce::Pointer, nullptr, 0);
}

void returnHammer(GameState& g, bool fromClick) {
    if (g.hammerMode == 0) return;
    g.stock.hammers += 1;
    g.hammerMode = 0;
    if (fromClick) startEffect("hammer", g.pointer.x, g.pointer.y);
    announceSimple(Announce::Pointer, nullptr, 0);
}

void useClock(GameState& g) {
    if (g.stock.clocks <= 0 || g.stock.clockRunning) return;
    g.stock.clocks -= 1;
    g.stock.clockRunning = 1;
    g.stock.burnClock = 0.0f;
    g.stock.sparkClock = 0.0f;
    g.stock.clockStartLimit = g.timeLimit;
    g.clocksUsed += 1;
    dropSelection(g);
}

void updateClockBurn(GameState& g, float dt) {
    Stock& s = g.stock;
    if (!s.clockRunning) return;
    s.burnClock += dt;
    // Cancels this frame's advance: the fuse stands still. A clock that stood anyway
    // (paused, a menu, a box, the level won) is not turned back.
    if (g.fuseBurnt) g.elapsed -= dt;
    s.sparkClock += dt;
    while (s.sparkClock >= 120.0f) {
        s.sparkClock -= 120.0f;
        announce({Announce::Sparkle, nullptr, s.clockIcon.x, s.clockIcon.y, 0, 0, 0, 0, 0});
        playSound("clock.ogg",
                  static_cast<int>(30000.0f + std::min(s.burnClock, 3000.0f) / 3000.0f * 5000.0f));
    }
    if (s.burnClock >= 3000.0f) s.clockRunning = 0;
}

void sparkleArrived(GameState& g) {
    g.elapsed -= 2000.0f;
}
