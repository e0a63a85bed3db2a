#!/usr/bin/env python3
"""Writes the 80 level files and checks each one before writing it.

The committed .lvl files are the source of truth; this script records how they
were laid out (shapes, cover patterns, chains, power-ups, pick-ups, figure kinds,
time) so a designer can change a stage and regenerate it. Run from the repository
root: python3 tests/assets/level_design.py [--check]
"""
import random
import sys
from pathlib import Path

ROWS, COLS = 11, 12
STAGES = [5, 5, 6, 7, 8, 9, 10, 10, 10, 10]
KINDS = ["chetki", "fonarik", "inyan", "kolokol", "mechi", "moneta", "shkatulka", "svitok", "vaza", "veer"]

# Hole masks: '#' is a hole, '-' an open cell.
SHAPES = {
    "full": ["------------"] * 11,
    "frame": [
        "##--------##",
        "#----------#",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "#----------#",
        "##--------##",
    ],
    "hourglass": [
        "------------",
        "------------",
        "#----------#",
        "##--------##",
        "###------###",
        "###------###",
        "###------###",
        "##--------##",
        "#----------#",
        "------------",
        "------------",
    ],
    "twin": [
        "-----##-----",
        "-----##-----",
        "-----##-----",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "-----##-----",
        "-----##-----",
        "-----##-----",
    ],
    "arch": [
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "---######---",
        "---######---",
        "---######---",
        "------------",
        "------------",
        "------------",
    ],
    "diamond": [
        "####----####",
        "###------###",
        "##--------##",
        "#----------#",
        "------------",
        "------------",
        "------------",
        "#----------#",
        "##--------##",
        "###------###",
        "####----####",
    ],
    "window": [
        "------------",
        "------------",
        "---##--##---",
        "---##--##---",
        "------------",
        "------------",
        "------------",
        "---##--##---",
        "---##--##---",
        "------------",
        "------------",
    ],
    "pillars": [
        "------------",
        "--#------#--",
        "--#------#--",
        "--#------#--",
        "------------",
        "------------",
        "------------",
        "--#------#--",
        "--#------#--",
        "--#------#--",
        "------------",
    ],
    "crown": [
        "-###-##-###-",
        "-###-##-###-",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "#----------#",
        "##--------##",
    ],
    "ring": [
        "------------",
        "------------",
        "------------",
        "----####----",
        "----####----",
        "----####----",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
    ],
    "stairs": [
        "-----#######",
        "-----#######",
        "-------#####",
        "-------#####",
        "---------###",
        "---------###",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
    ],
    "boat": [
        "#####--#####",
        "####----####",
        "###------###",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "#----------#",
        "##--------##",
        "###------###",
    ],
    "cross": [
        "###------###",
        "###------###",
        "###------###",
        "------------",
        "------------",
        "------------",
        "------------",
        "------------",
        "###------###",
        "###------###",
        "###------###",
    ],
    "columns": [
        "------------",
        "------------",
        "#---#--#---#",
        "#---#--#---#",
        "------------",
        "------------",
        "------------",
        "#---#--#---#",
        "#---#--#---#",
        "------------",
        "------------",
    ],
    "gate": [
        "---##--##---",
        "---##--##---",
        "------------",
        "------------",
        "-###----###-",
        "------------",
        "------------",
        "-###----###-",
        "------------",
        "------------",
        "------------",
    ],
}


def cells():
    for i in range(ROWS):
        for j in range(COLS):
            yield i, j


# Cover patterns: predicates on (row, column).
def block(r0, r1, c0, c1):
    return lambda i, j: r0 <= i <= r1 and c0 <= j <= c1


def rows(*rs):
    return lambda i, j: i in rs


def cols(*cs):
    return lambda i, j: j in cs


def diamond(d, ci=5, cj=5.5):
    return lambda i, j: abs(i - ci) + abs(j - cj) <= d


def ring(d0, d1, ci=5, cj=5.5):
    return lambda i, j: d0 <= max(abs(i - ci), abs(j - cj)) <= d1


def xcross(w=1):
    return lambda i, j: abs(i - (j - 0.5)) <= w or abs(i - (10 - j + 0.5)) <= w


def checker(p=0):
    return lambda i, j: (i + j) % 2 == p


def border(w):
    return lambda i, j: i < w or i >= ROWS - w or j < w or j >= COLS - w


def anyp(*ps):
    return lambda i, j: any(p(i, j) for p in ps)


def allp(*ps):
    return lambda i, j: all(p(i, j) for p in ps)


def nop(i, j):
    return False


def everything(i, j):
    return True


# Power-up grid letters by kind: chained figure of slot s carrying that power-up.
def powerup_byte(kind, slot):
    if kind == "bomb":
        return 81 + slot
    if kind == "lightning":
        return 97 + slot
    if kind == "cross":
        return 113 + slot
    if kind == "diagonal":
        return 192 + slot
    if kind == "star":
        return 208 + slot
    raise ValueError(kind)


class Level:
    def __init__(self, shape, single, double=nop, n=6, chains=0, powerups=(), hammers=0, clocks=0,
                 pace=1.0, kinds=None):
        self.shape = shape
        self.single = single
        self.double = double
        self.n = n
        self.chains = chains
        self.powerups = list(powerups)
        self.hammers = hammers
        self.clocks = clocks
        self.pace = pace  # more than 1 gives extra time (breathers)
        self.kinds = kinds


# Seconds of fuse per tile to break, by stage: the pace tightens as the stages go on.
SECONDS_PER_TILE = [6.5, 6.0, 5.6, 5.3, 5.0, 4.8, 4.6, 4.4, 4.3, 4.2]
# Each chain needs two matching charms brought beside a fixed one: extra time for it.
SECONDS_PER_CHAIN = 6.0

# Extra time for single levels (by level number from 0), from the greedy player's
# measured win rates (quelmar-lab play-all, 10 seeds, 1500 ms of thought per move):
# levels whose last few tiles kept the player waiting for a line get a longer fuse,
# and the late levels the player won with time to spare a shorter one.
TIME_TUNING = {9: 1.38, 11: 1.2, 13: 1.2, 17: 1.2, 18: 1.67, 20: 1.2, 25: 1.3, 26: 1.74, 27: 1.45, 28: 1.2, 35: 1.74,
               38: 1.45, 45: 1.89, 46: 1.3, 53: 1.45, 54: 1.45, 61: 0.85, 63: 1.45, 66: 0.85, 67: 0.85, 74: 0.85,
               78: 0.85, 79: 0.85}

L = Level
DESIGN = [
    # Stage 0: six charms, single covers, an open field.
    L("full", block(3, 7, 3, 8), pace=1.3),
    L("full", anyp(rows(2, 3, 7, 8)), pace=1.1),
    L("frame", diamond(4)),
    L("full", xcross(0.5)),
    L("frame", ring(3, 4)),
    # Stage 1: the first double covers and shaped fields.
    L("full", block(2, 8, 2, 9), block(4, 6, 5, 6), pace=1.2),
    L("hourglass", anyp(rows(0, 1, 9, 10), cols(5, 6))),
    L("diamond", diamond(3), diamond(1)),
    L("twin", anyp(cols(1, 2, 9, 10), rows(5)), rows(5)),
    L("arch", border(2), allp(border(1), rows(0, 10)), n=7),
    # Stage 2: seven charms, more double covers.
    L("full", diamond(5), pace=1.3),
    L("window", anyp(rows(0, 1, 4, 5, 6, 9, 10)), rows(5), n=7),
    L("pillars", block(1, 9, 3, 8), block(4, 6, 3, 8), n=7),
    L("crown", anyp(rows(2, 3, 8), cols(0, 11)), rows(2), n=7),
    L("ring", ring(2, 5), ring(2, 2), n=7),
    L("boat", block(3, 9, 1, 10), checker(0), n=7),
    # Stage 3: chains appear; the first hammers.
    L("full", block(3, 8, 2, 9), chains=2, pace=1.25),
    L("cross", anyp(rows(3, 4, 6, 7), cols(5, 6)), diamond(1), n=7, chains=2),
    L("columns", anyp(rows(0, 1, 5, 9, 10)), rows(5), n=7, chains=3, hammers=1),
    L("diamond", diamond(4), ring(0, 1), n=7, chains=3),
    L("gate", block(2, 10, 0, 11), rows(10), n=7, chains=2, hammers=1, pace=1.15),
    L("twin", anyp(block(3, 7, 0, 11), cols(0, 11)), block(4, 6, 4, 7), n=7, chains=4),
    L("hourglass", border(3), rows(4, 5, 6), n=7, chains=4, hammers=2),
    # Stage 4: eight charms; the first bombs waiting on the field.
    L("full", block(2, 8, 2, 9), pace=1.3, chains=2, powerups=[("bomb", 5, 5)]),
    L("frame", ring(3, 5), ring(5, 5), n=7, chains=3, powerups=[("bomb", 2, 2), ("bomb", 8, 9)], hammers=1),
    L("arch", rows(1, 2, 3, 8, 9), rows(3, 8), n=8, chains=3, hammers=1),
    L("window", anyp(rows(0, 1, 5, 9, 10)), rows(5), n=8, chains=2, powerups=[("bomb", 5, 5)]),
    L("pillars", anyp(rows(4, 5, 6), cols(0, 1, 10, 11)), rows(5), n=8, chains=4, hammers=2, pace=1.1),
    L("stairs", lambda i, j: i + j >= 9, lambda i, j: i >= 9 and j >= 3, n=7, chains=3, powerups=[("bomb", 6, 3)]),
    L("crown", block(3, 9, 2, 9), allp(checker(1), block(4, 8, 3, 8)), n=8, chains=4, powerups=[("bomb", 6, 5)], hammers=1),
    L("boat", diamond(4, 5, 5.5), diamond(1, 5, 5.5), n=8, chains=4, hammers=1),
    # Stage 5: clocks and lightning charms.
    L("full", anyp(rows(1, 2, 8, 9), cols(2, 9)), pace=1.3, n=7, chains=2, clocks=1, powerups=[("lightning", 5, 5)]),
    L("ring", ring(2, 5), ring(5, 5), n=8, chains=4, clocks=1, hammers=1),
    L("diamond", diamond(4), diamond(1), n=8, chains=4, powerups=[("lightning", 5, 2)], clocks=1),
    L("cross", block(2, 8, 2, 9), block(4, 6, 4, 7), n=8, chains=3, hammers=2),
    L("columns", border(2), rows(0, 10), n=8, chains=4, powerups=[("bomb", 5, 1), ("bomb", 5, 10)], clocks=1),
    L("twin", anyp(block(1, 9, 0, 2), block(1, 9, 9, 11)), rows(5, 6), n=8, chains=5, hammers=1, clocks=1, pace=1.1),
    L("hourglass", anyp(rows(0, 1, 2, 8, 9, 10)), rows(0, 10), n=8, chains=4, powerups=[("lightning", 1, 5)], hammers=1),
    L("gate", anyp(rows(2, 3, 5, 6, 8, 9)), rows(5, 6), n=8, chains=5, clocks=2),
    L("frame", block(2, 8, 1, 10), ring(2, 2), n=8, chains=5, powerups=[("bomb", 5, 5), ("lightning", 8, 5)], hammers=1, clocks=1),
    # Stage 6: cross bombs; the field tightens.
    L("full", border(3), border(1), pace=1.3, n=7, chains=3, powerups=[("cross", 5, 5)], hammers=1),
    L("window", block(0, 10, 1, 10), anyp(rows(5), cols(5, 6)), n=8, chains=5, powerups=[("cross", 5, 2), ("cross", 5, 9)], clocks=1),
    L("crown", block(3, 10, 0, 11), rows(3, 10), n=8, chains=5, hammers=2, clocks=1),
    L("arch", border(3), border(1), n=8, chains=5, powerups=[("bomb", 9, 5), ("lightning", 1, 6)]),
    L("boat", block(2, 9, 0, 11), diamond(2, 5, 5.5), n=8, chains=6, powerups=[("cross", 4, 5)], hammers=1, clocks=1, pace=1.1),
    L("pillars", anyp(cols(0, 1, 10, 11), rows(4, 5, 6)), anyp(cols(0, 11), rows(5)), n=8, chains=5, hammers=2, clocks=1),
    L("stairs", lambda i, j: i + j >= 8, lambda i, j: i + j >= 15, n=8, chains=5, powerups=[("cross", 8, 4), ("bomb", 4, 8)]),
    L("columns", block(1, 9, 0, 11), allp(checker(0), block(4, 6, 0, 11)), n=8, chains=5, powerups=[("lightning", 5, 5)], hammers=1, clocks=1),
    L("diamond", diamond(5), ring(3, 3), n=8, chains=6, powerups=[("cross", 5, 1), ("cross", 5, 10)], clocks=1),
    L("ring", ring(3, 5), ring(5, 5), n=8, chains=6, powerups=[("bomb", 1, 1), ("bomb", 9, 10)], hammers=2),
    # Stage 7: diagonal bombs and stars; nine charms.
    L("full", diamond(5), diamond(2), pace=1.3, n=8, chains=3, powerups=[("diagonal", 5, 5)], hammers=1),
    L("cross", anyp(rows(3, 4, 5, 6, 7), cols(5, 6)), anyp(rows(3, 7)), n=8, chains=5, powerups=[("diagonal", 5, 2), ("diagonal", 5, 9)], clocks=1),
    L("twin", block(1, 9, 0, 11), anyp(cols(0, 11), rows(5)), n=9, chains=5, hammers=2, clocks=1, pace=1.05),
    L("gate", block(2, 10, 0, 11), rows(9, 10), n=9, chains=5, powerups=[("star", 6, 5)], hammers=1),
    L("hourglass", anyp(rows(0, 1, 2, 3, 7, 8, 9, 10)), anyp(rows(0, 10)), n=9, chains=6, powerups=[("diagonal", 1, 3), ("diagonal", 9, 8)], clocks=1, pace=1.05),
    L("window", border(2), border(1), pace=1.3, n=8, chains=4, powerups=[("star", 5, 5)], hammers=2),
    L("frame", block(1, 9, 1, 10), allp(checker(1), block(3, 7, 2, 9)), n=9, chains=6, powerups=[("cross", 2, 5), ("diagonal", 8, 6)], hammers=1, clocks=1),
    L("crown", block(2, 10, 1, 10), rows(2, 3), n=9, chains=6, powerups=[("star", 7, 5)], clocks=2),
    L("columns", block(0, 10, 1, 10), rows(4, 5, 6), n=9, chains=6, powerups=[("diagonal", 5, 2), ("lightning", 5, 9)], hammers=2),
    L("boat", block(3, 9, 1, 10), block(4, 7, 3, 8), n=9, chains=6, powerups=[("star", 5, 5), ("bomb", 8, 3)], hammers=1, clocks=1),
    # Stage 8: nine charms everywhere, long chains of power-ups.
    L("twin", border(2), border(1), pace=1.3, n=8, chains=4, powerups=[("star", 5, 2), ("bomb", 5, 9)], hammers=1),
    L("diamond", diamond(5), anyp(rows(5), cols(5, 6)), n=9, chains=6, powerups=[("diagonal", 2, 5), ("diagonal", 8, 6)], clocks=1),
    L("columns", block(1, 9, 1, 10), anyp(rows(0, 1, 9, 10)), n=9, chains=6, powerups=[("lightning", 5, 5), ("bomb", 5, 2)], hammers=1, clocks=1),
    L("gate", block(1, 10, 0, 11), ring(4, 5), n=9, chains=6, powerups=[("cross", 5, 5)], hammers=2),
    L("hourglass", block(1, 9, 1, 10), anyp(rows(4, 5, 6)), n=9, chains=6, powerups=[("star", 1, 5), ("star", 9, 6)], clocks=1, pace=1.05),
    L("full", block(1, 9, 1, 10), block(3, 7, 3, 8), pace=1.25, n=8, chains=5, powerups=[("diagonal", 5, 5)], hammers=2, clocks=1),
    L("crown", block(2, 10, 0, 11), allp(checker(0), block(3, 9, 1, 10)), n=9, chains=7, powerups=[("cross", 4, 2), ("cross", 4, 9)], hammers=1),
    L("ring", block(1, 9, 1, 10), anyp(rows(0, 10), cols(0, 11)), n=9, chains=7, powerups=[("diagonal", 1, 5), ("lightning", 9, 6)], clocks=2),
    L("boat", block(1, 9, 1, 10), anyp(rows(3, 4, 5)), n=9, chains=7, powerups=[("star", 6, 5), ("bomb", 8, 8)], hammers=1, clocks=1),
    L("stairs", block(1, 9, 1, 10), lambda i, j: i >= 8, n=9, chains=7, powerups=[("diagonal", 7, 3), ("cross", 9, 9)], hammers=2, clocks=1),
    # Stage 9: everything together.
    L("full", block(2, 8, 1, 10), ring(3, 3), pace=1.3, n=8, chains=4, powerups=[("star", 5, 5), ("diagonal", 2, 2)], hammers=1, clocks=1),
    L("pillars", block(1, 9, 1, 10), anyp(rows(0, 5, 10)), n=9, chains=6, powerups=[("cross", 5, 5), ("diagonal", 1, 8)], hammers=1, clocks=1),
    L("stairs", block(1, 9, 1, 10), lambda i, j: i + j >= 13, n=9, chains=6, powerups=[("star", 8, 6), ("lightning", 3, 5)], hammers=2),
    L("ring", block(1, 9, 1, 10), ring(2, 2), n=9, chains=7, powerups=[("diagonal", 1, 1), ("diagonal", 1, 10)], clocks=2),
    L("diamond", block(1, 9, 1, 10), diamond(3), n=9, chains=7, powerups=[("bomb", 5, 2), ("bomb", 5, 9), ("star", 5, 5)], hammers=1, clocks=1),
    L("arch", block(1, 9, 1, 10), border(1), pace=1.2, n=8, chains=5, powerups=[("cross", 1, 5), ("diagonal", 9, 5)], hammers=2, clocks=1),
    L("gate", block(1, 9, 1, 10), anyp(rows(5, 6, 9)), n=9, chains=7, powerups=[("lightning", 9, 2), ("star", 6, 8)], hammers=1, clocks=1),
    L("window", block(1, 9, 1, 10), ring(4, 5), n=9, chains=7, powerups=[("diagonal", 5, 5), ("cross", 1, 5)], hammers=2, clocks=1),
    L("cross", block(1, 9, 1, 10), block(3, 7, 3, 8), n=9, chains=8, powerups=[("star", 5, 5), ("diagonal", 1, 4), ("diagonal", 9, 7)], hammers=1, clocks=2),
    L("full", block(1, 9, 1, 10), anyp(ring(5, 5), ring(2, 2)), n=10, chains=8, pace=1.1, powerups=[("star", 5, 5), ("diagonal", 2, 2), ("diagonal", 8, 9), ("cross", 8, 2), ("lightning", 2, 9)], hammers=2, clocks=2),
]

# Figure kinds in play, slot by slot: each stage shows its own selection of charms.
STAGE_KINDS = [
    [0, 1, 3, 5, 8, 9, 2, 4, 6, 7],
    [2, 4, 5, 6, 7, 9, 0, 1, 3, 8],
    [1, 3, 4, 6, 8, 9, 0, 2, 5, 7],
    [0, 2, 3, 5, 7, 9, 1, 4, 6, 8],
    [1, 2, 4, 6, 8, 9, 0, 3, 5, 7],
    [0, 3, 4, 5, 6, 9, 1, 2, 7, 8],
    [2, 3, 5, 6, 7, 8, 0, 1, 4, 9],
    [0, 1, 4, 5, 7, 8, 2, 3, 6, 9],
    [1, 2, 3, 6, 7, 9, 0, 4, 5, 8],
    [0, 4, 5, 6, 8, 9, 1, 2, 3, 7],
]


def stage_of(level):
    total = 0
    for s, size in enumerate(STAGES):
        if level < total + size:
            return s
        total += size
    raise ValueError(level)


def valid_open(grid, i, j):
    return 0 <= i < ROWS and 0 <= j < COLS and grid[i][j] != "#"


def line_windows(open_, i, j):
    """Every run of three open cells in a row or column that contains (i, j)."""
    out = []
    for di, dj in ((0, 1), (1, 0)):
        for start in range(-2, 1):
            cellsw = [(i + (start + k) * di, j + (start + k) * dj) for k in range(3)]
            if all(0 <= a < ROWS and 0 <= b < COLS and open_[a][b] for a, b in cellsw):
                out.append(cellsw)
    return out


def build(level, design):
    stage = stage_of(level)
    rng = random.Random(1000 + level)
    mask = SHAPES[design.shape]
    open_ = [[mask[i][j] == "-" for j in range(COLS)] for i in range(ROWS)]
    grid = [[None] * COLS for _ in range(ROWS)]  # cell byte values
    for i, j in cells():
        if not open_[i][j]:
            grid[i][j] = ord(".")
        elif design.double(i, j) and design.single(i, j) or design.double(i, j):
            grid[i][j] = ord("2")
        elif design.single(i, j):
            grid[i][j] = ord("1")
        else:
            grid[i][j] = ord("0")
    # A cover that no line of three can reach would make the level unwinnable
    # without a hammer, and one that only one or two lines reach (a corner, a
    # pocket between holes) turns the end of a level into a wait for luck: such
    # cells stay bare.
    for i, j in cells():
        if open_[i][j] and grid[i][j] in (ord("1"), ord("2")) and len(line_windows(open_, i, j)) < 3:
            grid[i][j] = ord("0")
    # The lowest cell of a column only changes when a line passes through it, so a
    # cover there is the last one left more often than not: the floor stays bare.
    for i, j in cells():
        if open_[i][j] and (i == ROWS - 1 or not open_[i + 1][j]):
            grid[i][j] = ord("0")
    chained = [[False] * COLS for _ in range(ROWS)]

    def can_chain(i, j):
        if not open_[i][j] or chained[i][j] or i in (0, ROWS - 1):
            return False
        # Every cell below a chain must still be fed from above-left or above-right
        # or the chain itself will be freed first; keep chains off cells whose
        # diagonal feeders are closed too, and never put two chains side by side.
        for a, b in ((i - 1, j - 1), (i - 1, j), (i - 1, j + 1), (i, j - 1), (i, j + 1), (i + 1, j - 1), (i + 1, j),
                     (i + 1, j + 1)):
            if 0 <= a < ROWS and 0 <= b < COLS and chained[a][b]:
                return False
        if i + 1 < ROWS and open_[i + 1][j]:
            feeders = [(i, j - 1), (i, j + 1)]
            if not any(0 <= a < ROWS and 0 <= b < COLS and open_[a][b] for a, b in feeders):
                return False
        # A line through the chain needs two free cells beside it, and no covered cell
        # near it may be left with lines that all pass through a chain.
        if not reachable(i, j):
            return False
        chained[i][j] = True
        ok = all(reachable(a, b) for a, b in cells()
                 if (a == i and abs(b - j) <= 2 or b == j and abs(a - i) <= 2) and (a, b) != (i, j)
                 and grid[a][b] in (ord("1"), ord("2")))
        chained[i][j] = False
        return ok

    def reachable(i, j):
        return any(all(not chained[a][b] for a, b in w if (a, b) != (i, j)) for w in line_windows(open_, i, j))

    for kind, i, j in design.powerups:
        assert can_chain(i, j), (level, kind, i, j)
        slot = rng.randrange(design.n)
        grid[i][j] = powerup_byte(kind, slot)
        chained[i][j] = True
    candidates = [(i, j) for i, j in cells() if grid[i][j] in (ord("1"), ord("2"))]
    rng.shuffle(candidates)
    placed = 0
    for i, j in candidates:
        if placed == design.chains:
            break
        if can_chain(i, j):
            grid[i][j] = ord("A") + rng.randrange(design.n)
            chained[i][j] = True
            placed += 1
    assert placed == design.chains, (level, placed)
    # Pick-ups start high in the field so the player has to work them down.
    bonus = [[ord(".")] * COLS for _ in range(ROWS)]
    spots = [(i, j) for i, j in cells() if i <= 3 and open_[i][j] and not chained[i][j] and 2 <= j <= 9]
    rng.shuffle(spots)
    for letter, count in (("H", design.hammers), ("T", design.clocks)):
        for _ in range(count):
            i, j = spots.pop()
            bonus[i][j] = ord(letter)
    tiles = 0
    chains = 0
    for i, j in cells():
        b = grid[i][j]
        if b == ord("1"):
            tiles += 1
        elif b == ord("2"):
            tiles += 2
        elif chained[i][j]:
            tiles += 3
            chains += 1
    pace = SECONDS_PER_TILE[stage] * design.pace
    seconds = tiles * pace + chains * SECONDS_PER_CHAIN * design.pace
    seconds = max(seconds, 90.0) * TIME_TUNING.get(level, 1.0)
    f = (80 - level) / 80.0
    base = int(round(seconds / (1 + 4 * f ** 3)))
    kinds = STAGE_KINDS[stage]
    lines = []
    lines.append(b"curanimback=%d" % (1 + (level % 12)))
    lines.append(b"figures=%d" % design.n)
    lines.append(b"time=%d" % base)
    for s in range(design.n):
        lines.append(b"figure%d=%s" % (s, KINDS[kinds[s]].encode()))
    lines.append(b"level=")
    for i in range(ROWS):
        lines.append(bytes(grid[i]))
    lines.append(b"")
    lines.append(b"levelbonus=")
    for i in range(ROWS):
        lines.append(bytes(bonus[i]))
    text = b"\r\n".join(lines) + b"\r\n"
    return text, tiles, chains, base, seconds


def main():
    assert len(DESIGN) == 80, len(DESIGN)
    out = Path(__file__).resolve().parents[2] / "assets" / "levels"
    check = "--check" in sys.argv
    stale = []
    for level, design in enumerate(DESIGN):
        text, tiles, chains, base, seconds = build(level, design)
        path = out / ("pack1_%02d.lvl" % (level + 1))
        if check:
            if not path.exists() or path.read_bytes() != text:
                stale.append(path.name)
        else:
            path.write_bytes(text)
        print("%02d stage %d n=%d tiles=%3d chains=%d time=%3d limit=%5.1fs" %
              (level + 1, stage_of(level), design.n, tiles, chains, base, seconds))
    if stale:
        print("out of date:", " ".join(stale))
        sys.exit(1)


if __name__ == "__main__":
    main()
