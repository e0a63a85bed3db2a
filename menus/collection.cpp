#include "menus/collection.h"

#include <algorithm>
#include <cmath>

#include "core/profile.h"

const PieceOffset kPieceOffsets[kCoverPieces] = {{-55, 95},  {55, 95},   {95, 55},  {95, -55}, {55, -95},
                                                 {-55, -95}, {-95, -55}, {-95, 55}, {0, -45},  {0, 45}};

namespace {

constexpr int kPictureCount = 5;
constexpr float kMedallionX = -100;
constexpr float kPresentY = 70;  // where the quelmar is presented
constexpr float kMedallionSide = 256, kPresentedSide = 356, kIconSide = 129;

}  // namespace

int levelsInZone(int zone) {
    return zone >= 0 && zone < kStageCount ? kStageSizes[zone] : 0;
}

int firstLevelOfZone(int zone) {
    return levelNumberOf(std::clamp(zone, 0, kStageCount), 0);
}

void clearCollection(CollectionState& c) {
    c = CollectionState{};
}

int piecesFor(int steps, int levels) {
    if (levels <= 0) return 0;
    const int pieces =
        static_cast<int>(10.0f * static_cast<float>(steps) / static_cast<float>(levels) + 0.5f);
    return std::clamp(pieces, 0, kCoverPieces);
}

void countOpenPieces(CollectionState& c, int zone, int level, int finished, int levelInZone) {
    if (levelInZone != 0 && finished == zone && zone < 10) {
        const int into = level - firstLevelOfZone(zone);
        c.openNow = piecesFor(into, levelsInZone(zone));
        c.openBefore = piecesFor(into - 1, levelsInZone(zone));
    } else if (c.pieceActive && zone >= 1) {
        const int n = levelsInZone(zone - 1);
        c.openNow = kCoverPieces;
        c.openBefore = piecesFor(n - 1, n);
    } else {
        c.openNow = 0;
        c.openBefore = 0;
    }
}

int rightPicture(int level) {
    if (level < 0) level = 0;
    return level / 3 % kPictureCount;
}

bool rightPictureChanged(int level) {
    return level > 0 && rightPicture(level) != rightPicture(level - 1);
}

CollectionEvents advanceCollection(CollectionState& c, float dt, bool zoneComplete) {
    CollectionEvents events = {};
    if (c.pieceActive) {
        if (c.pieceTimer == 0) events.piecesOpened = true;
        c.pieceTimer += dt;
        if (c.pieceTimer * kPieceSpin > kPieceAnimationEnd) {
            c.pieceActive = false;
            c.pieceTimer = 0;
            if (zoneComplete) {
                events.quelmarComplete = true;
                c.active = true;
                c.phaseA = true;
                c.timerA = 0;
            }
        }
        return events;
    }
    if (c.active) {
        if (c.phaseA) {
            c.timerA += dt;
            if (c.timerA >= kRiseMs) {
                c.phaseA = false;
                c.phaseB = true;
                c.timerB = 0;
            }
        } else if (c.phaseB) {
            const bool wasHolding = c.timerB >= kPresentMs;
            c.timerB = std::min(c.timerB + dt, kPresentMs);  // then it holds
            events.holdStarted = !wasHolding && c.timerB >= kPresentMs;
        } else if (c.phaseC) {
            c.timerC += dt;
            if (c.timerC >= kShrinkMs) {
                c.phaseC = false;
                c.phaseD = true;
                c.timerD = 0;
            }
        } else if (c.phaseD) {
            c.timerD += dt;
            if (c.timerD >= kFlightMs) {
                c.phaseD = false;
                c.active = false;
                c.iconFade = true;
                c.iconFadeLeft = kIconFadeMs;
                events.collectionDone = true;
            }
        }
        return events;
    }
    if (c.iconFade) {
        c.iconFadeLeft -= dt;
        if (c.iconFadeLeft <= 0) {
            c.iconFade = false;
            c.iconFadeLeft = 0;
        }
    }
    return events;
}

bool collectionHolding(const CollectionState& c) {
    return c.active && c.phaseB && c.timerB >= kPresentMs;
}

bool continueCollection(CollectionState& c) {
    if (!collectionHolding(c)) return false;
    c.phaseB = false;
    c.phaseC = true;
    c.timerC = 0;
    return true;
}

bool collectionAnimating(const CollectionState& c) {
    return c.pieceActive || c.active;
}

QuelmarPose collectionPose(const CollectionState& c, float zoneX, float zoneY) {
    QuelmarPose pose = {kMedallionX, kPresentY, kPresentedSide, 0};
    if (c.phaseA) {
        const float f = std::clamp(c.timerA / kRiseMs, 0.0f, 1.0f);
        pose = {kMedallionX, kPresentY * f, kMedallionSide + 100 * f, 0};
    } else if (c.phaseB) {
        const float f = std::clamp(c.timerB / kPresentMs, 0.0f, 1.0f);
        pose.frameSide = kMedallionSide + 150 * f;
    } else if (c.phaseC) {
        const float f = std::clamp(c.timerC / kShrinkMs, 0.0f, 1.0f);
        pose.frameSide = kPresentedSide + 50 - 150 * f;
    } else if (c.phaseD) {
        const float f = std::clamp(c.timerD / kFlightMs, 0.0f, 1.0f);
        pose = {kMedallionX + (zoneX - kMedallionX) * f, kPresentY + (zoneY - kPresentY) * f,
                kPresentedSide - (kPresentedSide - kIconSide) * f, 0};
    }
    return pose;
}

// The pieces' blink: 127 + 128 cos(t x 0.007), kept within a byte (a plain cut would
// turn -1 at the trough into a full flash).
int blinkAlpha(float t) {
    return std::clamp(static_cast<int>(127.0f + 128.0f * std::cos(t * kPieceSpin)), 0, 255);
}

int blinkAlphaInverse(float t) {
    return std::clamp(static_cast<int>(127.0f + 128.0f * std::cos(t * kPieceSpin + 3.1415927f)), 0, 255);
}
