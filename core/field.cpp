#include "core/field.h"

#include <cmath>
#include <cstring>

GameState gameState;

void resetGameState(GameState& g) {
    std::memset(&g, 0, sizeof(g));
    g.fadeA = 255.0f;
    g.fadeB = 255.0f;
    g.fieldColour[0] = 0xFFFFFFFFu;
    g.fieldColour[1] = 0xFFFFFFFFu;
    g.stock.hammerIcon = {-360.0f, -137.0f};
    g.stock.clockIcon = {-360.0f, -188.0f};
    const float rects[8] = {-385.0f, -112.0f, -335.0f, -162.0f, -385.0f, -163.0f, -335.0f, -213.0f};
    std::memcpy(g.stock.iconRects, rects, sizeof(rects));
    for (int i = 0; i < kFigureTableSize; ++i) g.figureTable[i] = i;
    g.figureCount = kDefaultFigureCount;
    g.cursorRow = g.cursorColumn = -1;  // placed on the field by the first key
}

Vec2 cellCentre(int row, int column) {
    return {kCellPitch * static_cast<float>(column) - 195.0f, 248.0f - kCellPitch * static_cast<float>(row)};
}

void setCentres(GameState& g) {
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) g.cells[i][j].centre = cellCentre(i, j);
}

void cellAt(float px, float py, int* column, int* row) {
    // Out-of-range floats must not reach the integer conversion.
    if (!(std::fabs(px) < 1e6f) || !(std::fabs(py) < 1e6f)) {
        *column = -1;
        *row = -1;
        return;
    }
    const int x = static_cast<int>(px) + 220;
    const int y = 273 - static_cast<int>(py);
    if (x < 0 || y < 0) {
        *column = -1;
        *row = -1;
        return;
    }
    *column = x / 50;
    *row = y / 50;
}

PieceBlock readPiece(const Cell& c) {
    PieceBlock piece;
    std::memcpy(piece.bytes, reinterpret_cast<const uint8_t*>(&c) + kPieceBlockOffset, kPieceBlockSize);
    return piece;
}

void writePiece(Cell& c, const PieceBlock& piece) {
    std::memcpy(reinterpret_cast<uint8_t*>(&c) + kPieceBlockOffset, piece.bytes, kPieceBlockSize);
}

void movePiece(Cell& to, Cell& from) {
    writePiece(to, readPiece(from));
    from.figure = -1;
}

void exchangePieces(Cell& a, Cell& b) {
    const PieceBlock pa = readPiece(a);
    writePiece(a, readPiece(b));
    writePiece(b, pa);
}

int countTiles(const GameState& g) {
    int tiles = 0;
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j) {
            const Cell& c = g.cells[i][j];
            if (c.chained != 0) tiles += 1;
            if (c.cover > 0) tiles += c.cover;
        }
    return tiles;
}
