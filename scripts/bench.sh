#!/usr/bin/env bash
# Measures the blits beside their peers (pixman, SDL2, and SDL3 where ../shared/sdl3 holds it):
# the full comparison on the processor's vector walks and on every lower level (--cap), then
# BLEND_NORMAL from a build that keeps to eight vector registers, as the 32-bit DLL must. Writes
# the tables to build/bench/results.md (ready for the README), their rows to
# build/bench/results.csv, and draws docs/speed.png from them.
#
#   scripts/bench.sh           the full run (several minutes; take it on a quiet machine)
#   scripts/bench.sh --quick   fewer, shorter samples for a fast check; its chart goes to
#                              build/bench/speed.png, leaving docs/ alone
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

quick=() chart=docs/speed.png
case ${1:-} in
  "") ;;
  --quick) quick=(--quick) chart=build/bench/speed.png ;;
  *) echo "usage: scripts/bench.sh [--quick]" >&2; exit 2 ;;
esac

scripts/setup.sh test
# SDL3 is a peer only where it is found; without it the tables leave its rows out.
sdl3="$(dirname "$root")/shared/sdl3"
prefix=()
if [ -d "$sdl3/lib/cmake/SDL3" ]; then
  prefix=(-DCMAKE_PREFIX_PATH="$sdl3")
else
  echo "bench: no SDL3 at $sdl3; measuring without it" >&2
fi

# The bench is built as the scripts build the library for use (RelWithDebInfo: -O2 -g).
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_BUILD_BENCH=ON \
    -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_TOOL=OFF "${prefix[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target morvane_compare
}
echo "== building"
build build/bench-native
# The 32-bit DLL has eight vector registers (xmm0-7, and so ymm0-7 and zmm0-7) where a 64-bit
# build has 16 (32 with AVX-512); keeping the compiler off the others approximates its register
# budget on this machine. Only the vector registers: the general ones stay 16. The walks are told
# too, so that they lay out their loops as the DLL's.
fixed="$(for i in $(seq 8 31); do printf -- '-ffixed-xmm%d ' "$i"; done)"
build build/bench-xmm8 -DCMAKE_CXX_FLAGS="$fixed" -DMORVANE_VECTOR_REGISTERS=8

out=build/bench
mkdir -p "$out"
rm -f "$out"/run-*.csv
: >"$out/results.md"
compare=build/bench-native/bin/morvane_compare
runs=()
for level in $($compare --levels); do
  echo "== the comparison on the $level walks"
  runs+=("$out/run-${#runs[@]}.csv")
  $compare "${quick[@]}" --cap "$level" --csv "${runs[-1]}" | tee -a "$out/results.md"
done
echo "== BLEND_NORMAL with eight vector registers"
runs+=("$out/run-${#runs[@]}.csv")
build/bench-xmm8/bin/morvane_compare "${quick[@]}" --normal-only --sections squares,sprites,layers \
  --variant "8 vector registers" --csv "${runs[-1]}" | tee -a "$out/results.md"

# One CSV: the header once, then every run's rows.
{
  head -n 1 "${runs[0]}"
  for run in "${runs[@]}"; do tail -n +2 "$run"; done
} >"$out/results.csv"
rm -f "${runs[@]}"

scripts/bench-chart.sh "$out/results.csv" "$chart"
echo "bench: wrote $out/results.md, $out/results.csv and $chart"
