#!/usr/bin/env python3
"""Checks the tutorial file: every scripted swap must make a line on its 4 x 4 field.

Plays "help.lvl" the way the tutorial does: a swap, removal of every run of three or
more (covers under a run are cleared), columns falling and the refill queue feeding
the top row left to right. Prints each field after each step and fails when a swap
makes no line, when a field starts with or is left with an accidental line, or when
the queue runs dry. Run from the repository root: python3 tests/assets/help_design.py
"""
import re
import sys
from pathlib import Path


def digits_after(text, key, count):
    at = text.find(key)
    if at < 0:
        return None
    at += len(key)
    out = []
    while len(out) < count and at < len(text):
        if text[at:at + 4] == "\r\n\r\n":
            break
        if text[at].isdigit():
            out.append(int(text[at]))
        at += 1
    return out


def runs(field):
    marked = set()
    for r in range(4):
        for c in range(4):
            for dr, dc in ((0, 1), (1, 0)):
                line = [(r + k * dr, c + k * dc) for k in range(4)]
                line = [(a, b) for a, b in line if a < 4 and b < 4]
                n = 1
                while n < len(line) and field[line[n][0]][line[n][1]] == field[r][c]:
                    n += 1
                if n >= 3:
                    marked.update(line[:n])
    return marked


def fall(field, queue):
    # Columns shift down together, one cell per round; empty top cells then take
    # the next queued slot, columns left to right.
    while any(field[r][c] is None for r in range(4) for c in range(4)):
        for r in (2, 1, 0):
            for c in range(4):
                if field[r][c] is not None and field[r + 1][c] is None:
                    field[r + 1][c], field[r][c] = field[r][c], None
        for c in range(4):
            if field[0][c] is None:
                if not queue:
                    raise SystemExit("refill queue ran dry")
                field[0][c] = queue.pop(0)


def show(field, covers=None):
    for r in range(4):
        row = " ".join(str(v) for v in field[r])
        if covers:
            row += "    " + " ".join(str(v) for v in covers[r])
        print("   ", row)


def play(name, field, covers, queue, steps):
    print(name)
    show(field, covers)
    if runs(field):
        raise SystemExit(name + " starts with a line")
    for k, (c1, r1, c2, r2) in enumerate(steps):
        assert abs(c1 - c2) + abs(r1 - r2) == 1, "step %d swaps cells that are not neighbours" % (k + 1)
        field[r1][c1], field[r2][c2] = field[r2][c2], field[r1][c1]
        hit = runs(field)
        if not hit:
            raise SystemExit("%s step %d makes no line" % (name, k + 1))
        for r, c in hit:
            field[r][c] = None
            if covers:
                covers[r][c] = 0
        fall(field, queue)
        print("  step %d: swap (%d,%d)-(%d,%d), %d charms removed" % (k + 1, c1, r1, c2, r2, len(hit)))
        show(field, covers)
        if runs(field):
            raise SystemExit("%s step %d leaves an accidental line" % (name, k + 1))
    if covers and any(v for row in covers for v in row):
        print("  covers left:", sum(1 for row in covers for v in row if v))


def main():
    path = Path(__file__).resolve().parents[2] / "assets" / "levels" / "help.lvl"
    text = path.read_bytes().decode("latin-1")
    f1 = digits_after(text, "field1=", 16)
    f2 = digits_after(text, "field2=", 16)
    t2 = digits_after(text, "field2type=", 16)
    q1 = digits_after(text, "addfigures1=", 12)
    q2 = digits_after(text, "addfigures2=", 12)
    steps = {}
    for key in ("step11=", "step12=", "step21=", "step22=", "step23=", "step24="):
        m = re.search(re.escape(key) + r"(\d)(\d)(\d)(\d)", text)
        if not m:
            raise SystemExit("missing " + key)
        steps[key] = tuple(int(g) for g in m.groups())
    for name, v, n in (("field1", f1, 16), ("field2", f2, 16), ("field2type", t2, 16), ("addfigures1", q1, 12),
                       ("addfigures2", q2, 12)):
        if v is None or len(v) != n:
            raise SystemExit("%s needs %d digits" % (name, n))
    if max(f1 + f2 + q1 + q2) > 5:
        raise SystemExit("the demonstration uses figure slots 0..5 only")
    grid = lambda v: [v[r * 4:r * 4 + 4] for r in range(4)]
    play("field 1", grid(f1), None, list(q1), [steps["step11="], steps["step12="]])
    play("field 2", grid(f2), grid(t2), list(q2), [steps[k] for k in ("step21=", "step22=", "step23=", "step24=")])
    print("help.lvl: every scripted swap makes a line")


if __name__ == "__main__":
    sys.exit(main())
