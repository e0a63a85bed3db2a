#include "presentation/field_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/draw.h"
#include "app/textures.h"
#include "core/random.h"
#include "core/tutorial.h"
#include "presentation/particles.h"

FieldView fieldView;
FieldTextures fieldTextures;

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kZ = 10.0f;
constexpr float kHoverShrink = 1.2f;

const char* const kSheetFiles[12] = {"chetki.tga", "fonarik.tga", "inyan.tga",     "kolokol.tga",
                                     "mechi.tga",  "moneta.tga",  "shkatulka.tga", "svitok.tga",
                                     "vaza.tga",   "veer.tga",    "molotok.tga",   "chasiki.tga"};
const char* const kTileFiles[7] = {"field/field0.tga",      "field/field1.tga",  "field/field2.tga",
                                   "field/field4.tga",      "field/field1a.tga", "field/field2a.tga",
                                   "field/fieldpodsvet.tga"};

constexpr int kHammerSheet = 10;
constexpr int kClockSheet = 11;

uint32_t withAlpha(uint32_t rgb, uint32_t alpha) {
    return (alpha & 255u) << 24 | (rgb & 0xFFFFFFu);
}

// An additive colour: each channel scaled by alpha so the light flickers with it; the
// alpha itself only has to pass the alpha test.
uint32_t glowColour(uint32_t rgb, uint32_t alpha) {
    alpha &= 255u;
    const uint32_t r = ((rgb >> 16) & 255u) * alpha / 255u, g = ((rgb >> 8) & 255u) * alpha / 255u,
                   b = (rgb & 255u) * alpha / 255u;
    return alpha << 24 | r << 16 | g << 8 | b;
}

uint32_t greyAlpha(uint32_t level) {
    level = std::min(level, 255u);
    return level << 24 | level << 16 | level << 8 | level;
}

TextureRect sheetFrame(int frame) {
    frame = ((frame % kSheetFrames) + kSheetFrames) % kSheetFrames;
    const float s = static_cast<float>(frame % 8) * 0.125f;
    const float t = static_cast<float>(frame / 8) * 0.25f;
    return {s, t, s + 0.125f, t + 0.25f};
}

TextureRect atlasCell(int cell) {
    const float s = static_cast<float>(cell % 8) * 0.125f;
    const float t = static_cast<float>(cell / 8) * 0.125f;
    return {s, t, s + 0.125f, t + 0.125f};
}

// The field and its shake stay inside the visible screen; a square wholly outside it is
// not sent to the device at all.
bool visible(float x, float y, float half) {
    return x + half >= -400.0f - 8.0f && x - half <= 400.0f + 8.0f && y + half >= -300.0f - 8.0f &&
           y - half <= 300.0f + 8.0f;
}

// A camera-facing square: upright at angle 0, turned counter-clockwise by angle degrees.
void square(const TextureRecord* texture, const TextureRect& rect, float x, float y, float angle, float half,
            uint32_t colour) {
    if (texture == nullptr || !visible(x, y, half)) return;
    bindTexture(texture);
    if (angle == 0.0f)
        drawQuadCentred(x, y, 2 * half, 2 * half, rect, colour, kZ);
    else
        drawQuadRotated(x, y, Vector2{x, y}, angle, 2 * half, 2 * half, rect, colour, kZ);
}

void spawnParticle(const char* name, float x, float y) {
    spawnTemplateParticle(name, x, y);
}

Matrix4 fieldViewMatrix(const FieldView& view) {
    return translationMatrix(view.shake.x, view.shake.y, 0.0f);
}

TextureRecord* sheetFor(const GameState& g, int figure) {
    if (figure == kHammerPickup) return fieldTextures.sheets[kHammerSheet];
    if (figure == kClockPickup) return fieldTextures.sheets[kClockSheet];
    if (figure < 0 || figure >= kFigureTableSize) return nullptr;
    const int sheet = g.figureTable[figure];
    if (sheet < 0 || sheet >= kSheetSlots) return nullptr;
    return fieldTextures.sheets[sheet];
}

bool pointerCell(const FieldFrame& frame, int* row, int* column) {
    cellAt(frame.pointer.x, frame.pointer.y, column, row);
    return inBounds(*row, *column);
}

int tileOf(const Cell& cell, int i, int j) {
    const int tile = std::min(cell.cover, 2);
    return tile == 0 && (i + j) % 2 == 1 ? 3 : tile;  // the bare cells make a checkerboard
}

// Tiles are drawn one picture at a time (they do not overlap), so the whole grid takes a
// handful of batches instead of one per cell.
void drawTiles(const GameState& g, const FieldFrame& frame) {
    const uint32_t c = frame.colour;
    int hoverRow = -1, hoverColumn = -1;
    const bool hovering = !frame.blocked && pointerCell(frame, &hoverRow, &hoverColumn);
    for (int tile = 0; tile < 4; ++tile)
        for (int i = 0; i < kRows; ++i)
            for (int j = 0; j < kColumns; ++j) {
                const Cell& cell = g.cells[i][j];
                if (cell.cover < 0 || tileOf(cell, i, j) != tile) continue;
                const bool pointerOn = hovering && i == hoverRow && j == hoverColumn;
                float half = kTileHalf + cell.tileGrow;
                if (pointerOn && cell.chained == 0 && cell.figure >= 0) half -= kHoverShrink;
                square(fieldTextures.tiles[tile], kWholeTexture, cell.centre.x + cell.cellOffset.x,
                       cell.centre.y + cell.cellOffset.y, 0, half, c);
            }
    // The covers blink until the level-end sequence starts (the game advances their timers).
    if (!g.levelOver && !g.bonusCountUp && !g.clearedWaiting) {
        for (int cover = 1; cover <= 2; ++cover)
            for (int i = 0; i < kRows; ++i)
                for (int j = 0; j < kColumns; ++j) {
                    const Cell& cell = g.cells[i][j];
                    if (std::min(cell.cover, 2) != cover || cell.blinkTimer >= 1000.0f) continue;
                    const float a = 255.0f * std::sin((1000.0f - cell.blinkTimer) * kPi * 0.001f);
                    const bool pointerOn = hovering && i == hoverRow && j == hoverColumn;
                    const float half = kTileHalf + cell.tileGrow - (pointerOn ? kHoverShrink : 0.0f);
                    square(fieldTextures.tiles[3 + cover], kWholeTexture, cell.centre.x + cell.cellOffset.x,
                           cell.centre.y + cell.cellOffset.y, 0, half, withAlpha(c, limitAlpha(a, c)));
                }
    }
    // Tip marks on the cells a tip points at.
    if (g.tip.showing && g.tip.pointing && g.hint.showing) {
        square(fieldTextures.tipMark, kWholeTexture, g.hint.pick.x, g.hint.pick.y, 0, kTileHalf, c);
        square(fieldTextures.tipMark, kWholeTexture, g.hint.target.x, g.hint.target.y, 0, kTileHalf, c);
    }
    // The keys' cursor: the glowing frame of the hammer's cells and the tip's corners
    // around its cell, breathing until a charm is picked under it, then lit up and still.
    if (frame.cursor && !frame.blocked) {
        int row = -1, column = -1;
        if (pointerCell(frame, &row, &column) && isValid(g, row, column)) {
            const Cell& cell = g.cells[row][column];
            const float x = cell.centre.x + cell.cellOffset.x, y = cell.centre.y + cell.cellOffset.y;
            const uint32_t a = limitAlpha(static_cast<float>(cursorAlpha(frame.clock, frame.picked)), c);
            const float breathe = frame.picked ? -1.5f : 2.0f * std::sin(kPi * frame.clock / 400.0f);
            if (frame.picked) {
                setBlend(1);  // lit up: added twice over the tile
                square(fieldTextures.tiles[6], kWholeTexture, x, y, 0, kTileHalf, glowColour(0xFFFFFF, a));
                square(fieldTextures.tiles[6], kWholeTexture, x, y, 0, kTileHalf, glowColour(0xFFFFFF, a));
                setBlend(0);
            } else {
                for (int twice = 0; twice < 2; ++twice)  // a frame as plain as the lit one
                    square(fieldTextures.tiles[6], kWholeTexture, x, y, 0, kTileHalf + 1.0f,
                           withAlpha(0xFFFFFF, a));
            }
            square(fieldTextures.tipMark, kWholeTexture, x, y, 0, kTileHalf + 3.0f + breathe,
                   withAlpha(0xFFFFFF, a));
        }
    }
    // The armed hammer lights the cell under the pointer and its four neighbours.
    if (frame.pointerMode == 1 && !frame.blocked) {
        int row = -1, column = -1;
        if (pointerCell(frame, &row, &column)) {
            const uint32_t glow =
                withAlpha(0xFFFFFF, limitAlpha(70.0f + 60.0f * std::sin(0.01f * frame.clock), c));
            const int around[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& d : around) {
                const int r = row + d[0], k = column + d[1];
                if (!isValid(g, r, k)) continue;
                const Cell& cell = g.cells[r][k];
                square(fieldTextures.tiles[6], kWholeTexture, cell.centre.x + cell.cellOffset.x,
                       cell.centre.y + cell.cellOffset.y, 0, kTileHalf, glow);
            }
        }
    }
}

void drawBombGlow(float x, float y, float t, uint32_t c) {
    const float p = 0.0015f * t;
    const float pulses[5] = {0.3f + 0.7f * std::sin(p), 0.4f + 0.6f * std::sin(p + 0.4f * kPi),
                             0.5f + 0.5f * std::sin(p + 0.8f * kPi), 0.6f + 0.4f * std::sin(p + 1.2f * kPi),
                             0.7f + 0.3f * std::sin(p + 1.6f * kPi)};
    const float offsets[5][2] = {{16, 16}, {16, -16}, {-16, 16}, {-16, -16}, {0, 0}};
    setBlend(1);
    for (int k = 0; k < 5; ++k) {
        const float s = std::max(pulses[k], 0.0f);
        const uint32_t level = static_cast<uint32_t>(255.0f * s);
        const uint32_t colour = greyAlpha(std::min(level, limitAlpha(255.0f, c)));
        for (int twice = 0; twice < 2; ++twice)
            square(fieldTextures.atlas, atlasCell(12), x + offsets[k][0], y + offsets[k][1], 270.0f * s,
                   20.0f * s, colour);
    }
    setBlend(0);
}

void drawMarker(const Cell& cell, Vec2 p, const FieldFrame& frame) {
    const float t = frame.clock;
    const uint32_t c = frame.colour;
    const uint32_t a = limitAlpha(128.0f + 127.0f * std::sin(kPi * t / 1000.0f), c);
    const float w = 2.0f * std::sin(kPi * t / 1000.0f);
    switch (cell.powerup) {
        case kBomb:
            drawBombGlow(p.x, p.y, t, c);
            break;
        case kLightning:
            for (const MarkerArc& arc : fieldView.arcs) {
                const uint32_t alpha = static_cast<uint32_t>(std::max(arc.timer, 0.0f) / 2.0f) % 256u;
                queueBolt(fieldView, {p.x + arc.from.x, p.y + arc.from.y}, {p.x + arc.to.x, p.y + arc.to.y},
                          std::min(alpha, limitAlpha(255.0f, c)));
            }
            break;
        case kCrossBomb:
            square(fieldTextures.crossMarker, kWholeTexture, p.x, p.y, 0, 25.0f + w, withAlpha(c, a));
            spawnParticle("flare3", p.x + 2.0f, p.y - 17.0f);
            break;
        case kDiagonalBomb:
            spawnParticle("flare2", p.x + 2.0f, p.y - 17.0f);
            break;
        case kStarBomb:
            square(fieldTextures.starMarker, kWholeTexture, p.x, p.y, 0, 25.0f + w, withAlpha(c, a));
            spawnParticle("flare", p.x + 2.0f, p.y - 17.0f);
            break;
        default:
            break;
    }
}

void drawHintArrows(const GameState& g, const FieldFrame& frame) {
    if (!g.hint.showing) return;
    const float angle = hintAngle(g.hint.target, g.hint.pick);
    const HintPulse pulse = hintPulse(g.hint.timer);
    const uint32_t b = limitAlpha(pulse.brightness, frame.colour);
    const uint32_t colour = greyAlpha(b);  // additive: the colour makes the light, alpha passes the test
    // Both cells framed, and the arrows reaching toward each other with each pulse.
    const float dx = g.hint.target.x - g.hint.pick.x, dy = g.hint.target.y - g.hint.pick.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float ux = length > 0.0f ? dx / length : 0.0f, uy = length > 0.0f ? dy / length : 0.0f;
    const uint32_t frameColour = withAlpha(0xFFFFFF, b);
    square(fieldTextures.tipMark, kWholeTexture, g.hint.pick.x, g.hint.pick.y, 0, kTileHalf, frameColour);
    square(fieldTextures.tipMark, kWholeTexture, g.hint.target.x, g.hint.target.y, 0, kTileHalf, frameColour);
    setBlend(1);
    const float half = pulse.size / 2.0f;
    for (int twice = 0; twice < 2; ++twice) {  // doubled: plain to see on the brightest charms
        square(fieldTextures.atlas, atlasCell(59), g.hint.target.x - ux * pulse.reach,
               g.hint.target.y - uy * pulse.reach, angle + 180.0f, half, colour);
        square(fieldTextures.atlas, atlasCell(56), g.hint.pick.x + ux * pulse.reach,
               g.hint.pick.y + uy * pulse.reach, angle, half, colour);
    }
    setBlend(0);
}

Vec2 piecePoint(const Cell& cell) {
    return {cell.centre.x + cell.cellOffset.x + cell.offset.x,
            cell.centre.y + cell.cellOffset.y + cell.offset.y};
}

// The figures and what belongs to them, in passes so that each picture is one batch:
// turn animation, pick-up backings, chute glows, the sheets, then the power-up markers.
void drawFigures(const GameState& g, const FieldFrame& frame) {
    const uint32_t c = frame.colour;
    const uint32_t backing = withAlpha(0xFFFFFF, limitAlpha(200, c));
    for (const auto& row : g.cells)
        for (const Cell& cell : row)
            if (cell.cover >= 0 && isPickup(cell.figure)) {
                const Vec2 p = piecePoint(cell);
                square(fieldTextures.backing, kWholeTexture, p.x, p.y, 0, kTileHalf, backing);
            }
    // A chute glow on each neighbour the figure under the pointer could swap with to make
    // a line (flags: right, left, down, up).
    int pr = -1, pc = -1;
    if (frame.pointerMode == 0 && !frame.blocked && pointerCell(frame, &pr, &pc)) {
        const uint8_t* flags = g.cells[pr][pc].swapHint;
        const int toward[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
        const uint32_t glow =
            withAlpha(0xFFFFFF, limitAlpha(127.0f + 90.0f * std::sin(2.0f * kPi * frame.clock / 1000.0f), c));
        for (int k = 0; k < 4; ++k) {
            const int r = pr + toward[k][0], q = pc + toward[k][1];
            if (!flags[k] || !isValid(g, r, q)) continue;
            const Cell& cell = g.cells[r][q];
            if (cell.figure < 0 || isPickup(cell.figure)) continue;
            const Vec2 p = piecePoint(cell);
            square(fieldTextures.chute, kWholeTexture, p.x, p.y, 0, 41.44f, glow);
        }
    }
    for (const TextureRecord* sheet : fieldTextures.sheets) {
        if (sheet == nullptr) continue;
        for (const auto& row : g.cells)
            for (const Cell& cell : row)
                if (cell.cover >= 0 && cell.figure >= 0 && sheetFor(g, cell.figure) == sheet) {
                    const Vec2 p = piecePoint(cell);
                    square(sheet, sheetFrame(cell.frame), p.x, p.y, 0, kFigureHalf, c);
                }
    }
    if (frame.blocked && !frame.markersShown) return;
    for (int kind = kBomb; kind <= kStarBomb; ++kind)
        for (const auto& row : g.cells)
            for (const Cell& cell : row)
                if (cell.cover >= 0 && cell.figure >= 0 && cell.powerup == kind)
                    drawMarker(cell, piecePoint(cell), frame);
}

// One broken cover: four quarters flying apart a quarter turn from each other while
// they fall and fade.
void drawBreakPiece(BreakPiece& piece, float dt) {
    static const float offsets[4][2] = {
        {-12.95f, 12.95f}, {12.95f, 12.95f}, {12.95f, -12.95f}, {-12.95f, -12.95f}};
    static const TextureRect quarters[4] = {
        {0, 0, 0.5f, 0.5f}, {0.5f, 0, 1, 0.5f}, {0.5f, 0.5f, 1, 1}, {0, 0.5f, 0.5f, 1}};
    const float a = piece.age;
    const float alpha = a <= 200.0f ? 255.0f : std::max(0.0f, 255.0f - (a - 200.0f) / 500.0f * 255.0f);
    Vec2 d = {piece.direction.x * a / 10.0f, piece.direction.y * a / 10.0f};
    const float fall = a * a / 5000.0f;
    const TextureRecord* texture = fieldTextures.tiles[piece.kind == 2 ? 2 : 1];
    piece.sparkleClock += dt;
    const bool sparkle = piece.sparkleClock > 200.0f && a < 600.0f;
    for (int k = 0; k < 4; ++k) {
        const float x = piece.position.x + offsets[k][0] + d.x;
        const float y = piece.position.y + offsets[k][1] + d.y - fall;
        square(texture, quarters[k], x, y, 0, kTileHalf / 2,
               withAlpha(0xFFFFFF, static_cast<uint32_t>(alpha)));
        if (sparkle) spawnParticle("blik3", x, y);
        d = {d.y, -d.x};  // a quarter turn clockwise for the next quarter
    }
    if (sparkle) piece.sparkleClock -= 200.0f;
    piece.age += dt;
    if (piece.age > kBreakPieceLifeMs) {
        piece.active = 0;
        piece.age = 0.0f;
    }
}

}  // namespace

void drawBreakPieces(FieldView& view, float dt) {
    for (int kind = 1; kind <= 2; ++kind)  // one batch per cover picture
        for (BreakPiece& piece : view.pieces)
            if (piece.active && piece.kind == kind) drawBreakPiece(piece, dt);
}

bool demoMarksShown(const DemoField& field) {
    return field.phase >= 1 && field.phase <= 5;
}

void drawDemoField(DemoField& f, const int32_t* table, bool covers, uint32_t colour, float dt) {
    const uint32_t c = colour;
    const auto tileAt = [&](const Cell& cell, int i, int j) {
        const int tile = covers ? std::clamp(static_cast<int>(cell.cover), 0, 2) : 0;
        return tile == 0 && (i + j) % 2 == 1 ? 3 : tile;
    };
    for (int tile = 0; tile < 4; ++tile)
        for (int i = 0; i < kDemoSize; ++i)
            for (int j = 0; j < kDemoSize; ++j) {
                const Cell& cell = f.cells[i][j];
                if (tileAt(cell, i, j) == tile)
                    square(fieldTextures.tiles[tile], kWholeTexture, cell.centre.x, cell.centre.y, 0,
                           kTileHalf, c);
            }
    // Covers blink as they do on the field, so the player knows them again there.
    if (covers) {
        for (int cover = 1; cover <= 2; ++cover)
            for (const auto& row : f.cells)
                for (const Cell& cell : row) {
                    if (std::min(static_cast<int>(cell.cover), 2) != cover || cell.blinkTimer >= 1000.0f)
                        continue;
                    const float a = 255.0f * std::sin((1000.0f - cell.blinkTimer) * kPi * 0.001f);
                    square(fieldTextures.tiles[3 + cover], kWholeTexture, cell.centre.x, cell.centre.y, 0,
                           kTileHalf, withAlpha(c, limitAlpha(a, c)));
                }
    }
    if (demoMarksShown(f))
        for (const Vec2& at : f.targets)
            square(fieldTextures.tipMark, kWholeTexture, at.x, at.y, 0, kTileHalf, c);

    int pointerRow = -1, pointerColumn = -1;
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            const Vec2 centre = f.cells[i][j].centre;
            if (std::fabs(f.pointer.x - centre.x) <= 25.0f && std::fabs(f.pointer.y - centre.y) <= 25.0f) {
                pointerRow = i;
                pointerColumn = j;
            }
        }
    for (int i = 0; i < kDemoSize; ++i)
        for (int j = 0; j < kDemoSize; ++j) {
            Cell& cell = f.cells[i][j];
            if (cell.figure >= 0)
                advanceSpin(cell, i == pointerRow && j == pointerColumn && atRest(cell), dt);
        }
    // Resting figures first, then the two being swapped over them. A figure dropping in
    // above the top row fades in as it comes, so nothing shows over the text above.
    const float topRow = f.cells[0][0].centre.y;
    for (int onTop = 0; onTop <= 1; ++onTop)
        for (const auto& row : f.cells)
            for (const Cell& cell : row) {
                if (cell.figure < 0 || cell.figure >= kFigureTableSize || (cell.onTop != 0) != (onTop != 0))
                    continue;
                const int sheet = table[cell.figure];
                if (sheet < 0 || sheet >= kSheetSlots) continue;
                const float x = cell.centre.x + cell.offset.x, y = cell.centre.y + cell.offset.y;
                const float shown = std::clamp(1.0f - (y - topRow) / 50.0f, 0.0f, 1.0f);
                const auto alpha = static_cast<uint32_t>(static_cast<float>(c >> 24) * shown);
                square(fieldTextures.sheets[sheet], sheetFrame(cell.frame), x, y, 0, kFigureHalf,
                       withAlpha(c, alpha));
            }
}

void loadFieldTextures() {
    char name[64];
    for (int i = 0; i < 12; ++i) {
        std::snprintf(name, sizeof name, "figures/%s", kSheetFiles[i]);
        fieldTextures.sheets[i] = loadTexture(name);
    }
    for (int i = 0; i < 7; ++i) fieldTextures.tiles[i] = loadTexture(kTileFiles[i]);
    fieldTextures.chain = loadTexture("zep2.tga");
    fieldTextures.flare = loadTexture("flare.jpg");
    fieldTextures.chute = loadTexture("zhelob.tga");
    fieldTextures.tipMark = loadTexture("tip.tga");
    fieldTextures.crossMarker = loadTexture("bonus1.tga");
    fieldTextures.starMarker = loadTexture("bonus2.tga");
    fieldTextures.backing = loadTexture("bomb0.tga");
    fieldTextures.atlas = loadTexture("exploanim.tga");
}

void clearFieldView(FieldView& view) {
    view = {};
    view.lastPiece = kBreakPieceCapacity - 1;
    for (MarkerArc& arc : view.arcs) arc.timer = -1.0f;  // the first arcs are made in the next frame
}

void startFieldShake(FieldView& view) {
    view.shaking = 1;
    view.shakeClock = 0.0f;
}

void updateFieldShake(FieldView& view, float dt) {
    if (!view.shaking) {
        view.shake = {0.0f, 0.0f};
        return;
    }
    view.shakeClock += dt;
    if (view.shakeClock > kShakeMs) {
        view.shaking = 0;
        view.shakeClock = 0.0f;
        view.shake = {0.0f, 0.0f};
        return;
    }
    const float s = std::sin(0.06f * view.shakeClock);
    view.shake = {4.0f * s, 4.0f * s};
}

void spawnBreakPiece(FieldView& view, float x, float y, int kind) {
    view.lastPiece = (view.lastPiece + 1) % kBreakPieceCapacity;
    if (view.lastPiece < 0) view.lastPiece = 0;
    BreakPiece& piece = view.pieces[view.lastPiece];
    piece.active = 1;
    piece.kind = kind == 2 ? 2 : 1;
    piece.age = 0.0f;
    piece.position = {x, y};
    const float dx = -1.0f - randomSigned(lookRandom, 1.0f), dy = 1.0f + randomSigned(lookRandom, 1.0f);
    const float length = std::sqrt(dx * dx + dy * dy);
    piece.direction = length > 0.0f ? Vec2{dx / length, dy / length} : Vec2{0.0f, 1.0f};
}

void updateMarkerArcs(FieldView& view, float dt) {
    for (MarkerArc& arc : view.arcs) {
        if (arc.timer < 0.0f) {
            arc.from = {randomSigned(lookRandom, 25.0f), randomSigned(lookRandom, 25.0f)};
            arc.to = {randomSigned(lookRandom, 25.0f), randomSigned(lookRandom, 25.0f)};
            arc.timer = 2000.0f + randomSigned(lookRandom, 1500.0f);
        }
        arc.timer -= dt;
    }
}

bool queueBolt(FieldView& view, Vec2 from, Vec2 to, uint32_t alpha) {
    if (view.boltCount >= kBoltCapacity) return false;
    view.bolts[view.boltCount++] = {from, to, alpha};
    return true;
}

bool hoveredCell(const GameState& g, const FieldFrame& frame, int* row, int* column) {
    if (frame.blocked || !pointerCell(frame, row, column)) return false;
    const Cell& cell = g.cells[*row][*column];
    return cell.cover >= 0 && cell.chained == 0;
}

void advanceSpin(Cell& cell, bool hovered, float dt) {
    cell.spinTimer -= dt;
    cell.spinClock += dt;
    if (hovered) {
        cell.frame = static_cast<int>(cell.spinClock / kSheetFrameMs) % kSheetFrames;
        cell.spinTimer = 100.0f;
    } else if (cell.spinTimer > 0.0f || cell.frame > 0) {
        cell.frame = static_cast<int>(cell.spinClock / kSheetFrameMs) % kSheetFrames;
    } else {
        cell.spinClock = 0.0f;
    }
}

uint32_t limitAlpha(float a, uint32_t fieldColour) {
    if (!(a > 0.0f)) return 0;
    const uint32_t value = a >= 255.0f ? 255u : static_cast<uint32_t>(a);
    return std::min(value, fieldColour >> 24);
}

HintPulse hintPulse(float h) {
    const float s = std::fabs(std::sin(kPi * h / 1000.0f));  // three pulses in the 3000 ms
    return {120.0f + 135.0f * s, 8.0f * s, 58.0f + 10.0f * s};
}

uint32_t cursorAlpha(float t, bool picked) {
    if (picked) return 255;
    return static_cast<uint32_t>(170.0f + 85.0f * (0.5f + 0.5f * std::sin(kPi * t / 400.0f)));
}

float hintAngle(Vec2 a, Vec2 b) {
    float angle = 0.0f;
    if (a.x > b.x) angle = 90.0f;
    if (a.x < b.x) angle = 270.0f;
    if (a.y > b.y) angle = 0.0f;
    if (a.y < b.y) angle = 180.0f;
    return angle;
}

void advanceFigureSpins(GameState& g, const FieldFrame& frame) {
    int hoverRow = -1, hoverColumn = -1;
    const bool hovering = hoveredCell(g, frame, &hoverRow, &hoverColumn);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            Cell& cell = g.cells[i][j];
            if (cell.cover >= 0 && cell.figure >= 0)
                advanceSpin(cell, hovering && i == hoverRow && j == hoverColumn, frame.dt);
        }
}

void drawField(const GameState& g, const FieldFrame& frame) {
    const Matrix4 view = fieldViewMatrix(fieldView);
    setView(&view);
    drawTiles(g, frame);
    drawFigures(g, frame);
    // Chains over the figures, drawn crisp.
    disable(kStateFiltering);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& cell = g.cells[i][j];
            if (cell.cover < 0 || cell.chained != 1) continue;
            square(fieldTextures.chain, kWholeTexture, cell.centre.x + cell.cellOffset.x,
                   cell.centre.y + cell.cellOffset.y, -45.0f, 35.0f, frame.colour);
        }
    enable(kStateFiltering);
    drawHintArrows(g, frame);
    updateMarkerArcs(fieldView, frame.dt);
    drawBreakPieces(fieldView, frame.dt);
    setView(nullptr);
}

namespace {

const TextureRecord* flyingSheet(const GameState& g, const FlyingPiece& f) {
    if (f.type == kFlyFigure)
        return f.kind >= 1 && f.kind <= kFigureTableSize ? sheetFor(g, f.kind - 1) : nullptr;
    const bool hammer = f.type == kFlyHammerBottom || f.type == kFlyHammerRemoved;
    return fieldTextures.sheets[hammer ? kHammerSheet : kClockSheet];
}

}  // namespace

void drawFlyingPieces(GameState& g, const FieldFrame& frame, bool spawnTrails) {
    for (int n = 0; n < kFlyingPieceCapacity; ++n) {
        const FlyingPiece& f = g.flying[n];
        if (f.kind == 0 || !spawnTrails) continue;
        if (f.type == kFlyFigure)
            spawnParticle("tail2", f.point.x, f.point.y);
        else if (f.age > 300.0f && std::floor(f.age / 40.0f) != std::floor((f.age - frame.dt) / 40.0f))
            spawnParticle("molotok", f.point.x, f.point.y);
    }
    for (const TextureRecord* sheet : fieldTextures.sheets) {  // one batch per sheet
        if (sheet == nullptr) continue;
        for (int n = 0; n < kFlyingPieceCapacity; ++n) {
            const FlyingPiece& f = g.flying[n];
            if (f.kind == 0 || flyingSheet(g, f) != sheet) continue;
            // A removed figure keeps turning (frame 0 while the game stands still); pick-ups
            // fly unturned.
            const int turn = f.type == kFlyFigure && spawnTrails
                                 ? static_cast<int>(frame.clock / kSheetFrameMs) + 5 * n
                                 : 0;
            square(sheet, sheetFrame(turn), f.point.x, f.point.y, f.type == kFlyFigure ? f.angle[0] : 0.0f,
                   kFigureHalf, frame.colour);
        }
    }
}

void drawQueuedBolts(FieldView& view) {
    if (view.boltCount == 0) return;
    bindTexture(fieldTextures.flare);
    setBlend(1);
    // The flare's middle row across each band: bright in the middle, dark at the edges.
    const TextureRect band = {0.0f, 0.5f, 1.0f, 0.5f};
    auto segment = [&](Vec2 a, Vec2 b, float halfWidth, uint32_t colour) {
        float nx = -(b.y - a.y), ny = b.x - a.x;
        const float length = std::sqrt(nx * nx + ny * ny);
        if (length <= 0.0f) return;
        nx *= halfWidth / length;
        ny *= halfWidth / length;
        const Vector3 corners[4] = {{a.x + nx, a.y + ny, kZ},
                                    {b.x + nx, b.y + ny, kZ},
                                    {a.x - nx, a.y - ny, kZ},
                                    {b.x - nx, b.y - ny, kZ}};
        drawQuadCorners(corners, band, colour);
    };
    for (int n = 0; n < view.boltCount; ++n) {
        const Bolt& bolt = view.bolts[n];
        const float dx = bolt.to.x - bolt.from.x, dy = bolt.to.y - bolt.from.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        // Points about 5 units apart; a long bolt spaces them wider to stay within the cap.
        const int points = std::clamp(static_cast<int>(length / 5.0f) + 1, 2, kBoltPointCapacity);
        const float sx = length > 0.0f ? -dy / length : 0.0f, sy = length > 0.0f ? dx / length : 0.0f;
        const uint32_t alpha = bolt.alpha & 255u;
        segment(bolt.from, bolt.to, 8.0f, glowColour(0x3737FFu, alpha));
        Vec2 previous = bolt.from;
        for (int k = 1; k < points; ++k) {
            const float f = static_cast<float>(k) / static_cast<float>(points - 1);
            const float push = k == points - 1 ? 0.0f : randomSigned(lookRandom, 4.0f);
            const Vec2 next = {bolt.from.x + dx * f + sx * push, bolt.from.y + dy * f + sy * push};
            segment(previous, next, 0.8f, glowColour(0xFFFFFFu, alpha));
            previous = next;
        }
    }
    setBlend(0);
    view.boltCount = 0;
}
