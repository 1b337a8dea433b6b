#!/usr/bin/env bash
# Draws the speed chart from the bench's CSV (scripts/bench.sh writes it): megapixels per second
# of BlendBlt BLEND_NORMAL on the processor's own walks (and on the AVX2 walks, where the processor
# has wider ones) beside pixman, SDL2 and SDL3, for sprites of each icon size and for squares of
# each size onto both destinations, with the processor named in the title. The eight-register
# build's rows, where present, get bars of their own.
#
#   scripts/bench-chart.sh [CSV (build/bench/results.csv)] [PNG (docs/speed.png)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
csv=${1:-build/bench/results.csv}
png=${2:-docs/speed.png}
scripts/setup.sh docs
# Debian's interpreter, which python3-matplotlib installs into, even where another python3 comes
# first.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" - "$csv" "$png" <<'PY'
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt

rows = list(csv.DictReader(open(sys.argv[1], newline="")))
if not rows:
    sys.exit("bench-chart: no rows in " + sys.argv[1])
# The processor's own level is the first run's cap (scripts/bench.sh runs it first).
top = rows[0]["cap"]
processor = rows[0]["processor"]



def ours(walk, variant):
    return lambda r: (r["contender"] == "BlendBlt BLEND_NORMAL" and r["walk"] == walk
                      and r["variant"] == variant)


def peer(name):
    return lambda r: r["variant"] == "" and r["contender"].startswith(name)


series = [  # label, colour, the run (its cap), picks a row
    ("Morvane BLEND_NORMAL (%s)" % top, "#1f5fa8", top, ours(top, "")),
    ("Morvane (%s, 8 vector registers)" % top, "#7fa8d8", top, ours(top, "8 vector registers")),
    ("pixman OVER", "#d4862a", top, peer("pixman")),
    ("SDL2 blend", "#8a8a8a", top, peer("SDL2")),
    ("SDL3 blend", "#3c9a4a", top, peer("SDL3")),
]
# Most hosts' processors stop at AVX2: where this one goes further, the run capped there gets its
# own bars.
if top != "avx2":
    series.insert(1, ("Morvane BLEND_NORMAL (avx2)", "#5b3fa0", "avx2", ours("avx2", "")))
panels = [
    ("sprites", "Sprites: 2000 icons per frame on 1920 x 1080",
     [("16", "opaque", "16 x 16"), ("32", "opaque", "32 x 32"), ("64", "opaque", "64 x 64")]),
    ("squares", "Squares: one blit of the whole square",
     [("256", "opaque", "256², opaque"), ("256", "alpha", "256², alpha"),
      ("2048", "opaque", "2048², opaque"), ("2048", "alpha", "2048², alpha")]),
]


def value(section, size, destination, cap, pick):
    for r in rows:
        if (r["section"] == section and r["cap"] == cap and r["size"] == size
                and r["destination"] == destination and pick(r)):
            return float(r["mpix_per_s"])
    return None


panels = [p for p in panels if any(r["section"] == p[0] for r in rows)]
fig, axes = plt.subplots(1, len(panels), figsize=(6 * len(panels), 4.8), squeeze=False,
                         gridspec_kw={"width_ratios": [len(p[2]) for p in panels]})
for ax, (section, title, groups) in zip(axes[0], panels):
    present = [s for s in series
               if any(value(section, g[0], g[1], s[2], s[3]) is not None for g in groups)]
    width = 0.8 / len(present)
    for k, (label, colour, cap, pick) in enumerate(present):
        xs, ys = [], []
        for i, (size, destination, _) in enumerate(groups):
            v = value(section, size, destination, cap, pick)
            if v is not None:
                xs.append(i - 0.4 + width * (k + 0.5))
                ys.append(v)
        bars = ax.bar(xs, ys, width, label=label, color=colour)
        ax.bar_label(bars, labels=["%.0f" % y for y in ys], fontsize=6, padding=1, rotation=90)
    ax.set_xticks(range(len(groups)), [g[2] for g in groups])
    ax.set_title(title, fontsize=10)
    ax.set_ylabel("megapixels per second")
    ax.margins(y=0.15)
    ax.grid(axis="y", alpha=0.3)
# One legend under both panels, where it hides no bar.
handles = {}
for ax in axes[0]:
    for handle, label in zip(*ax.get_legend_handles_labels()):
        handles.setdefault(label, handle)
fig.legend(handles.values(), handles.keys(), loc="lower center", ncol=len(handles), fontsize=8)
fig.suptitle("Morvane beside its peers on %s" % processor)
fig.tight_layout(rect=(0, 0.06, 1, 1))
fig.savefig(sys.argv[2], dpi=110)
PY
echo "wrote $png"
