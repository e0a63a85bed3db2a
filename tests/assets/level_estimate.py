#!/usr/bin/env python3
"""Rough play-through of the level files by a greedy player, to see how much of each
level's fuse a level takes before the exact rules can be measured with the level tool.

A simplified model of the rules: swaps that make lines, runs of three or more, covers
and chains broken by the cells of a run, power-ups made by lines of four, five and
crossings and set off when removed (with chains of explosions), straight falls and
refills (diagonal slides are approximated), hammers and clocks collected at the bottom
row. The player picks the swap that breaks the most tiles (ties at random), thinks
THINK seconds per move, and each pass of a cascade costs PASS seconds. Prints, per
level, the share of seeds won and the median share of the limit used.
Run from the repository root: python3 tests/assets/level_estimate.py [seeds [stage...]]
"""
import random
import statistics
import sys
from pathlib import Path

ROWS, COLS = 11, 12
DEBUG = False
THINK = 1.5
SWAP = 0.3
PASS = 0.45
BLAST = 0.35


class Cell:
    __slots__ = ("cover", "chained", "fig", "pw")

    def __init__(self):
        self.cover, self.chained, self.fig, self.pw = 0, 0, -1, 0


def parse(path):
    t = path.read_bytes().decode("latin-1")

    def val(key):
        at = t.find(key)
        if at < 0:
            return ""
        end = t.find("\r", at)
        return t[at + len(key):end]

    n = int(val("figures=") or 8)
    time = float(val("time=") or 0)
    g = [[Cell() for _ in range(COLS)] for _ in range(ROWS)]

    def grid(key, ok):
        at = t.find(key) + len(key)
        while ord(t[at]) < 33:
            at += 1
        out = []
        while len(out) < ROWS * COLS:
            c = ord(t[at])
            at += 1
            if ok(c):
                out.append(c)
        return out

    for k, c in enumerate(grid("level=", lambda c: c == 46 or 48 <= c <= 122 or c >= 192)):
        cell = g[k // COLS][k % COLS]
        if c == 46:
            cell.cover = -1
        elif 48 <= c <= 50:
            cell.cover = c - 48
        else:
            for lo, hi, pw in ((65, 79, 0), (81, 95, 1), (97, 111, 2), (113, 122, 3), (192, 206, 4), (208, 222, 5)):
                if lo <= c <= hi:
                    cell.cover, cell.chained, cell.fig, cell.pw = 2, 1, c - lo, pw
    for k, c in enumerate(grid("levelbonus=", lambda c: c == 46 or 48 <= c <= 122)):
        if c in (72, 84):
            g[k // COLS][k % COLS].fig = 100 if c == 72 else 101
    return n, time, g


def dump(g):
    """Prints what is left of a field: holes, chains and cover layers."""
    for row in g:
        print("".join("#" if c.cover < 0 else "C" if c.chained else str(c.cover) if c.cover > 0 else "." for c in row))
    print("tiles left", tiles_left(g))


def valid(g, i, j):
    return 0 <= i < ROWS and 0 <= j < COLS and g[i][j].cover >= 0


def runs(g):
    hit = {}
    for i in range(ROWS):
        for j in range(COLS):
            s = g[i][j].fig
            if not valid(g, i, j) or s < 0 or s >= 100:
                continue
            for di, dj, d in ((1, 0, 0), (0, 1, 1)):
                if valid(g, i - di, j - dj) and g[i - di][j - dj].fig == s:
                    continue
                n = 1
                while valid(g, i + n * di, j + n * dj) and g[i + n * di][j + n * dj].fig == s:
                    n += 1
                if n >= 3:
                    for k in range(n):
                        hit.setdefault((i + k * di, j + k * dj), [0, 0])[d] = n
    return hit


def strike_cells(kind, i, j, g, fig):
    if kind == 1:
        return [(i, j + 1), (i, j - 1), (i, j + 2), (i, j - 2), (i + 1, j - 1), (i + 1, j), (i + 1, j + 1),
                (i - 1, j - 1), (i - 1, j), (i - 1, j + 1), (i + 2, j), (i - 2, j)]
    if kind == 2:
        return [(a, b) for a in range(ROWS) for b in range(COLS) if g[a][b].fig == fig]
    out = []
    for k in range(1, 12):
        if kind in (3, 5):
            out += [(i, j + k), (i, j - k), (i + k, j), (i - k, j)]
        if kind in (4, 5):
            out += [(i + k, j + k), (i + k, j - k), (i - k, j + k), (i - k, j - k)]
    return out


def settle(g, n, rng, mode_clock, stock):
    while True:
        moved = False
        for i in range(ROWS - 2, -1, -1):
            for j in range(COLS):
                c, b = g[i][j], g[i + 1][j]
                if c.cover >= 0 and c.fig >= 0 and not c.chained and b.cover >= 0 and b.fig < 0:
                    b.fig, b.pw, c.fig, c.pw = c.fig, c.pw, -1, 0
                    moved = True
        for i in range(ROWS):
            for j in range(COLS):
                c = g[i][j]
                if c.cover >= 0 and c.fig < 0 and (i == 0 or g[i - 1][j].cover < 0):
                    c.fig, c.pw = rng.randrange(n), 0
                    moved = True
        if not moved:
            for i in range(ROWS - 1, 0, -1):
                for j in range(COLS):
                    c = g[i][j]
                    if c.cover < 0 or c.fig >= 0:
                        continue
                    for b in (j + 1, j - 1):
                        if 0 <= b < COLS and g[i - 1][b].cover >= 0 and g[i - 1][b].fig >= 0 and not g[i - 1][b].chained:
                            s = g[i - 1][b]
                            c.fig, c.pw, s.fig, s.pw = s.fig, s.pw, -1, 0
                            moved = True
                            break
                    if moved:
                        break
                if moved:
                    break
        # pick-ups resting on the bottom row or above a hole are collected
        for i in range(ROWS):
            for j in range(COLS):
                c = g[i][j]
                if c.fig >= 100 and (i == ROWS - 1 or g[i + 1][j].cover < 0):
                    stock[c.fig - 100] += 1
                    c.fig = -1
                    moved = True
        if not moved:
            return


def resolve(g, n, rng, swapped, stock):
    """Runs every pass of a cascade; returns (tiles broken, passes, blasts)."""
    broken = passes = blasts = 0
    first = True
    while True:
        hit = runs(g)
        if not hit:
            return broken, passes, blasts
        passes += 1
        remove = set()
        make = {}
        for (i, j), (v, h) in hit.items():
            score = sum({3: 1, 4: 8}.get(x, 64 if x >= 5 else 0) for x in (v, h) if x)
            if score > 1 and not (first and (i, j) in swapped):
                score = 1
            kind = {1: 0, 8: 1, 64: 2, 2: 3}.get(score, 5 if score > 1 else 0)
            if kind:
                make[(i, j)] = kind
            else:
                remove.add((i, j))
        struck = set(hit)
        queue = [(i, j) for (i, j) in remove if g[i][j].pw]
        seen = set()
        while queue:
            i, j = queue.pop()
            if (i, j) in seen:
                continue
            seen.add((i, j))
            blasts += 1
            for a, b in strike_cells(g[i][j].pw, i, j, g, g[i][j].fig):
                if valid(g, a, b) and g[a][b].fig >= 0:
                    struck.add((a, b))
                    remove.add((a, b))
                    if g[a][b].pw:
                        queue.append((a, b))
                elif valid(g, a, b):
                    struck.add((a, b))
        for (i, j) in struck:
            c = g[i][j]
            if c.chained:
                c.chained = 0
                broken += 1
            elif c.cover > 0:
                c.cover -= 1
                broken += 1
        for (i, j) in remove:
            c = g[i][j]
            if c.fig >= 100:
                stock[c.fig - 100] += 1
            if (i, j) not in make:
                c.fig, c.pw = -1, 0
        for (i, j), kind in make.items():
            g[i][j].pw = kind
        settle(g, n, rng, 0, stock)
        first = False


def moves(g):
    out = []
    for i in range(ROWS):
        for j in range(COLS):
            c = g[i][j]
            if c.cover < 0 or c.fig < 0 or c.chained:
                continue
            for a, b in ((i, j + 1), (i + 1, j)):
                if not valid(g, a, b) or g[a][b].fig < 0 or g[a][b].chained:
                    continue
                d = g[a][b]
                c.fig, d.fig = d.fig, c.fig
                hit = runs(g)
                c.fig, d.fig = d.fig, c.fig
                if (i, j) in hit or (a, b) in hit:
                    gain = sum(1 for (x, y) in hit if g[x][y].cover > 0 or g[x][y].chained)
                    gain += sum(2 for (x, y) in hit if g[x][y].pw)
                    out.append((gain, (i, j), (a, b)))
    return out


def tiles_left(g):
    return sum(c.chained + max(c.cover, 0) for row in g for c in row)


def play(path, level, seed):
    n, base, g = parse(path)
    rng = random.Random(seed)
    f = (80 - level) / 80.0
    limit = (1 + 4 * f ** 3) * base if base else tiles_left(g) * 7.0
    for i in range(ROWS):
        for j in range(COLS):
            c = g[i][j]
            if c.cover >= 0 and not c.chained and c.fig < 100:
                c.fig = -1
    stock = [0, 0]
    pick = {(i, j): g[i][j].fig for i in range(ROWS) for j in range(COLS) if g[i][j].fig >= 100}
    for (i, j) in pick:
        g[i][j].fig = -1
    for _ in range(140):
        settle(g, n, rng, 0, [0, 0])
        hit = runs(g)
        if not hit:
            break
        for (i, j) in hit:
            if not g[i][j].chained and not g[i][j].pw:
                g[i][j].fig = -1
    for (i, j), v in pick.items():
        g[i][j].fig = v
    used = 0.0
    while tiles_left(g) > 0:
        if used > limit:
            if DEBUG:
                dump(g)
            return False, used / limit
        ms = moves(g)
        if stock[1] and used > limit * 0.6:
            stock[1] -= 1
            used -= 50.0
        if stock[0] and (not ms or tiles_left(g) <= 4 or max(m[0] for m in ms) == 0):
            targets = [(i, j) for i in range(ROWS) for j in range(COLS) if g[i][j].cover > 0 or g[i][j].chained]
            i, j = rng.choice(targets)
            stock[0] -= 1
            used += THINK + SWAP
            for a, b in ((i, j), (i + 1, j), (i - 1, j), (i, j + 1), (i, j - 1)):
                if valid(g, a, b):
                    c = g[a][b]
                    if c.chained:
                        c.chained = 0
                    elif c.cover > 0:
                        c.cover -= 1
                    if not c.chained:
                        c.fig, c.pw = -1, 0
            settle(g, n, rng, 0, stock)
            b, p, x = resolve(g, n, rng, set(), stock)
            used += p * PASS + x * BLAST
            continue
        if not ms:
            used += 1.5
            for i in range(ROWS):
                for j in range(COLS):
                    c = g[i][j]
                    if c.cover >= 0 and 0 <= c.fig < 100 and not c.chained and not c.pw:
                        c.fig = rng.randrange(n)
            continue
        best = max(m[0] for m in ms)
        _, a, b = rng.choice([m for m in ms if m[0] == best])
        ca, cb = g[a[0]][a[1]], g[b[0]][b[1]]
        ca.fig, cb.fig, ca.pw, cb.pw = cb.fig, ca.fig, cb.pw, ca.pw
        used += THINK + SWAP
        _, p, x = resolve(g, n, rng, {a, b}, stock)
        used += p * PASS + x * BLAST
    return True, used / limit


def main():
    seeds = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    folder = Path(__file__).resolve().parents[2] / "assets" / "levels"
    stages = [5, 5, 6, 7, 8, 9, 10, 10, 10, 10]
    only = {int(a) for a in sys.argv[2:]}
    level = 0
    for stage, size in enumerate(stages):
        if only and stage not in only:
            level += size
            continue
        wins = []
        for _ in range(size):
            results = [play(folder / ("pack1_%02d.lvl" % (level + 1)), level, s) for s in range(seeds)]
            won = sum(1 for w, _ in results if w)
            share = statistics.median(u for _, u in results)
            print("level %2d stage %d: won %2d/%d, median share of the fuse %.2f" % (level + 1, stage, won, seeds, share))
            wins.append(won / seeds)
            level += 1
        print("stage %d: %.0f %% won" % (stage, 100 * sum(wins) / len(wins)))


if __name__ == "__main__":
    main()
