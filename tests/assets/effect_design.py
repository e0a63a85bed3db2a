#!/usr/bin/env python3
"""Writes the particle effect files in assets/effects. Run from the repository root:
python3 tests/assets/effect_design.py assets/effects"""
# Writes the particle effect files (CR LF). Order of keys keeps "rot=" before "drot=".
from pathlib import Path
import sys
OUT = Path(sys.argv[1])
D = dict(externeffect=[], parfrequency=1, effecttime=0, numparticle=12, blendtype=0,
         color0=(1,1,1,1), color0dev=(0,0,0,0), color1=(1,1,1,0), color1dev=(0,0,0,0),
         radius0=10, radius0dev=0, radius1=2, radius1dev=0, partime=500, partimedev=0,
         positiondev=(0,0,0), speed=(0,0,0), speeddev=(0,0,0), gravity=0, gravitydev=0,
         rot=0, rotdev=180, drot=0, drotdev=0,
         polar=(0,0,0,0), polardev=(0,0,0,0), polarpar=(0,0,0,0), polarpardev=(0,0,0,0),
         lissx=(0,0,0), lissy=(0,0,0), lissparx=(0,0,0), lisspary=(0,0,0),
         simetria=0, simetriapar=0, sleep=0)
# Cells of the particle atlas: soft glow, smoke puff, fiery cloud, debris, sparkle,
# golden spark and lightning squiggle.
GLOW, SMOKE, FIRE, SHARD, SPARKLE, SPARK, BOLT = 0, 7, 45, 20, 17, 61, 19
BROAD = 62  # broad soft glow: wider than the round glow, for flashes that fill a cell


def num(v):
    return ("%g" % v)
def tup(v):
    return "(" + ",".join(num(x) for x in v) + ")"
# The sparkle, spark and lightning cells are thin rays around a small core: they read
# at about twice the side of a soft glow of the same brightness.
RAY_CELL_SCALE = 1.8
# Additive particles ("blendtype=0") add their colour and ignore alpha, so a death colour
# with alpha 0 alone would not fade them: they would vanish at full strength. Their
# death colour keeps its hue at this fraction of its strength, so they fade out.
ADDITIVE_DEATH_STRENGTH = 0.15


def write(name, note, **kw):
    e = dict(D); e.update(kw)
    if e["numparticle"] in (SPARKLE, SPARK, BOLT):
        for key in ("radius0", "radius0dev", "radius1", "radius1dev"):
            e[key] = round(e[key] * RAY_CELL_SCALE, 1)
    if e["blendtype"] == 0:
        r, g, b, a = e["color1"]
        e["color1"] = tuple(round(c * ADDITIVE_DEATH_STRENGTH, 3) for c in (r, g, b)) + (a,)
    lines = ["; " + note]
    for k, n in enumerate(e["externeffect"], 1):
        lines.append("externeffect%d=%s" % (k, n))
    for key in ["parfrequency","effecttime","numparticle","blendtype","color0","color0dev","color1","color1dev",
                "radius0","radius0dev","radius1","radius1dev","partime","partimedev","positiondev","speed","speeddev",
                "gravity","gravitydev","rot","rotdev","drot","drotdev","polar","polardev","polarpar","polarpardev",
                "lissx","lissy","lissparx","lisspary","simetria","simetriapar","sleep"]:
        v = e[key]
        lines.append("%s=%s" % (key, tup(v) if isinstance(v, tuple) else num(v)))
    (OUT / (name + ".par")).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


# Trails and markers: spawned one particle at a time by the field and HUD drawing.
write("smoke", "grey puff that drifts up; one per call at the fuse tip, a small cloud when started as an effect",
      parfrequency=6, numparticle=SMOKE, blendtype=1, color0=(0.55,0.5,0.45,0.55), color0dev=(0.05,0.05,0.05,0.1),
      color1=(0.3,0.3,0.3,0), radius0=18, radius0dev=4, radius1=50, radius1dev=10, partime=1200, partimedev=300,
      positiondev=(10,10,0), speed=(0,35,0), speeddev=(15,10,0), gravity=-10, drotdev=40)
write("flare1", "fuse spark: hops up from the burning tip and falls away",
      numparticle=SPARK, color0=(1,0.85,0.4,1), color0dev=(0,0.1,0.1,0), color1=(1,0.3,0,0), radius0=10, radius0dev=3,
      radius1=3, partime=500, partimedev=200, speed=(0,60,0), speeddev=(70,50,0), gravity=250)
write("flare", "gold glints rising from a star bomb",
      numparticle=SPARKLE, color0=(1,0.9,0.5,0.8), color1=(1,0.5,0.1,0), radius0=12, radius0dev=3, radius1=2,
      partime=400, partimedev=100, positiondev=(6,4,0), speed=(0,30,0), speeddev=(20,10,0), drotdev=90)
write("flare2", "violet glints rising from a diagonal bomb",
      numparticle=SPARKLE, color0=(0.75,0.6,1,0.85), color1=(0.35,0.2,1,0), radius0=12, radius0dev=3, radius1=2,
      partime=400, partimedev=100, positiondev=(6,4,0), speed=(0,30,0), speeddev=(20,10,0), drotdev=90)
write("flare3", "red sparks rising from a cross bomb",
      numparticle=SPARK, color0=(1,0.55,0.3,0.9), color1=(1,0.15,0,0), radius0=10, radius0dev=2, radius1=2,
      partime=400, partimedev=100, positiondev=(6,4,0), speed=(0,35,0), speeddev=(20,10,0))
write("tail2", "faint warm trail behind a charm falling off the field",
      numparticle=GLOW, color0=(1,0.9,0.7,0.35), color1=(1,0.6,0.3,0), radius0=22, radius1=6, partime=200, partimedev=50)
write("molotok", "gold sparkles behind a hammer or clock flying to the stock",
      numparticle=SPARKLE, color0=(1,0.9,0.4,1), color1=(1,0.5,0,0), radius0=16, radius0dev=4, radius1=2, partime=600,
      partimedev=150, speeddev=(30,30,0), gravity=40, drotdev=180)
write("molotok2", "small gold stars rising from a stock icon that just gained a tool",
      numparticle=SPARKLE, color0=(1,0.95,0.5,1), color1=(1,0.6,0.1,0), radius0=12, radius0dev=3, radius1=2,
      partime=700, partimedev=150, positiondev=(12,12,0), speed=(0,40,0), speeddev=(25,15,0), drotdev=120)
write("bonusscore", "soft glow left behind by sparks flying into the barrel",
      numparticle=GLOW, color0=(1,1,0.8,0.7), color1=(1,0.7,0.2,0), radius0=18, radius0dev=4, radius1=4, partime=500,
      partimedev=100)
write("blik3", "white glint on the pieces of a broken cover",
      parfrequency=4, numparticle=SPARKLE, color0=(1,1,1,0.9), color1=(0.8,0.9,1,0), radius0=18, radius0dev=4,
      radius1=0, partime=380, partimedev=80, positiondev=(6,6,0), drot=180, drotdev=90)

# Events on the field.
write("delete", "a removed charm bursts into a ring of sparkles that sink away",
      parfrequency=10, numparticle=SPARKLE, color0=(1,0.95,0.7,1), color0dev=(0,0.05,0.2,0), color1=(1,0.6,0.2,0),
      radius0=14, radius0dev=3, radius1=3, partime=450, partimedev=150, positiondev=(6,6,0), gravity=120,
      drotdev=360, polarpar=(4,110,0,0), polarpardev=(2,40,180,30))
write("addbonus", "sparkles spiral into the charm that just became a power-up",
      parfrequency=12, numparticle=SPARKLE, color0=(1,1,0.7,1), color1=(1,0.8,0.2,0), radius0=14, radius0dev=3,
      radius1=4, partime=600, partimedev=100, polarpar=(34,-50,0,360), polarpardev=(4,10,180,0), drotdev=180,
      externeffect=["score"])
write("zep1", "a chain snaps: steel shards scatter with a glint",
      parfrequency=10, numparticle=SHARD, blendtype=1, color0=(0.85,0.85,0.9,1), color1=(0.6,0.6,0.7,0), radius0=14,
      radius0dev=3, radius1=10, partime=700, partimedev=150, speed=(0,80,0), speeddev=(140,80,0), gravity=450,
      drotdev=540, externeffect=["blik3"])
write("hammer", "dust and sparks where the hammer is taken up or comes down",
      parfrequency=14, numparticle=SPARK, color0=(1,0.9,0.6,1), color1=(0.9,0.5,0.2,0), radius0=12, radius0dev=3,
      radius1=3, partime=500, partimedev=150, gravity=300, polarpar=(0,160,0,0), polarpardev=(0,60,180,0))
write("bomb1_1", "a bomb goes off: a ball of fire bursting outward",
      parfrequency=18, numparticle=FIRE, color0=(1,0.95,0.6,1), color1=(1,0.35,0,0), radius0=34, radius0dev=6,
      radius1=72, radius1dev=10, partime=380, partimedev=80, drotdev=180, polarpar=(0,220,0,0), polarpardev=(0,60,180,0),
      externeffect=["delete"])
write("bomb1_2", "the smoke ring left when a bomb has burnt out",
      parfrequency=12, numparticle=SMOKE, blendtype=1, color0=(0.5,0.45,0.4,0.5), color1=(0.3,0.3,0.3,0), radius0=30,
      radius0dev=6, radius1=70, radius1dev=10, partime=900, partimedev=200, speed=(0,20,0), drotdev=60,
      polarpar=(10,90,0,0), polarpardev=(0,30,180,0))
write("prototip", "a line bomb sets off: a white flash of sparks and a smoke ring",
      parfrequency=20, numparticle=SPARKLE, color0=(1,0.95,0.8,1), color1=(1,0.5,0.2,0), radius0=18, radius0dev=4,
      radius1=4, partime=450, partimedev=100, drotdev=360, polarpar=(0,260,0,0), polarpardev=(0,60,180,0),
      externeffect=["bomb1_2"])
write("krestbomb", "a line bomb's wave passing over a cell",
      parfrequency=3, numparticle=BROAD, color0=(1,0.85,0.5,1), color1=(1,0.3,0.1,0), radius0=64, radius0dev=8,
      radius1=24, partime=320, partimedev=60, positiondev=(10,10,0))
write("lightning", "blue-white sparks jump off a charm struck by lightning",
      parfrequency=14, numparticle=BOLT, color0=(0.85,0.95,1,1), color1=(0.3,0.4,1,0), radius0=28, radius0dev=6,
      radius1=6, partime=350, partimedev=100, polarpar=(0,140,0,0), polarpardev=(0,70,180,0))
write("nomoves", "a soft blue puff where a charm is swapped for a new one in the shuffle",
      parfrequency=6, numparticle=BROAD, color0=(0.6,0.8,1,1), color1=(0.3,0.4,1,0), radius0=54, radius0dev=6,
      radius1=16, partime=400, partimedev=80, polarpar=(0,40,0,0), polarpardev=(0,20,180,0))

# Score, level end and time-up.
write("score", "a few gold sparks on the score while it counts up",
      parfrequency=2, numparticle=SPARKLE, color0=(1,0.9,0.5,1), color1=(1,0.5,0.1,0), radius0=12, radius0dev=3,
      radius1=2, partime=350, partimedev=80, positiondev=(20,6,0), speeddev=(40,40,0))
write("scorewow", "a fountain of sparkles beside a new record on the level statistics",
      parfrequency=60, effecttime=600, numparticle=SPARKLE, color0=(1,1,0.6,1), color1=(1,0.4,0.1,0), radius0=18,
      radius0dev=4, radius1=4, partime=1100, partimedev=300, positiondev=(30,5,0), speed=(0,120,0),
      speeddev=(90,60,0), gravity=220, drotdev=180)
write("hammerbonus", "unused tools turn into points: a golden burst at the stock icon",
      parfrequency=24, numparticle=SPARKLE, color0=(1,0.95,0.5,1), color1=(1,0.5,0.1,0), radius0=20, radius0dev=4,
      radius1=4, partime=900, partimedev=200, gravity=60, drotdev=180, polarpar=(0,120,0,0),
      polarpardev=(0,40,180,90))
write("levelover0", "a warm glimmer as each cell of a won field drifts away",
      parfrequency=3, numparticle=GLOW, color0=(1,0.9,0.6,0.6), color1=(1,0.6,0.3,0), radius0=44, radius0dev=8,
      radius1=6, partime=500, partimedev=100, speed=(0,30,0), speeddev=(20,20,0))
write("barrelex", "time is up: the barrel bursts into fire",
      parfrequency=30, numparticle=FIRE, color0=(1,0.8,0.3,1), color1=(0.8,0.2,0,0), radius0=30, radius0dev=8,
      radius1=70, radius1dev=15, partime=700, partimedev=200, positiondev=(15,15,0), gravity=-40, drotdev=120,
      polarpar=(5,160,0,0), polarpardev=(5,80,180,60), externeffect=["smoke"])
write("barrelex1", "burning splinters thrown up from the barrel",
      parfrequency=40, numparticle=SPARK, color0=(1,0.9,0.5,1), color1=(1,0.3,0,0), radius0=12, radius0dev=4,
      radius1=3, partime=1100, partimedev=300, positiondev=(10,10,0), speed=(0,220,0), speeddev=(260,140,0),
      gravity=500)
write("endtime", "the barrel keeps burning for a moment after the blast",
      parfrequency=50, effecttime=800, numparticle=FIRE, color0=(1,0.7,0.2,0.9), color1=(0.4,0.1,0,0), radius0=30,
      radius0dev=8, radius1=80, radius1dev=15, partime=900, partimedev=200, positiondev=(40,10,0), speed=(0,120,0),
      speeddev=(60,40,0), gravity=-30, drotdev=90, externeffect=["smoke"])
write("endtime1", "a dark veil of smoke spreads over the field when time has run out",
      parfrequency=16, numparticle=SMOKE, blendtype=1, color0=(0.25,0.2,0.2,0.5), color1=(0.1,0.1,0.1,0), radius0=80,
      radius0dev=20, radius1=200, radius1dev=30, partime=1500, partimedev=300, drotdev=30,
      polarpar=(20,200,0,0), polarpardev=(10,60,180,10))

# Zone map.
write("mask", "golden dust where a piece of a quelmar's cover opens",
      parfrequency=16, numparticle=SPARKLE, color0=(1,0.95,0.6,1), color1=(1,0.6,0.2,0), radius0=16, radius0dev=4,
      radius1=2, partime=900, partimedev=300, gravity=30, drotdev=180, polarpar=(0,70,0,0), polarpardev=(0,40,180,40))
write("effect01", "a shower of light over the picture beside the map when it changes",
      parfrequency=40, effecttime=700, numparticle=SPARKLE, color0=(1,1,0.85,1), color1=(0.9,0.8,0.4,0), radius0=14,
      radius0dev=4, radius1=2, partime=800, partimedev=200, positiondev=(120,120,0), speed=(0,-20,0),
      speeddev=(10,10,0), drotdev=120)
