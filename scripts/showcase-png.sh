#!/usr/bin/env bash
# Regenerates docs/showcase.png, the README's picture: builds the morvane tool if needed, runs
# `morvane showcase` and converts the BMP it writes to PNG with Pillow (python3-pil).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target morvane_tool >/dev/null
build/native/bin/morvane showcase -o build/showcase.bmp >/dev/null
# Debian's interpreter, which python3-pil installs into, even where another python3 comes first.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" - build/showcase.bmp docs/showcase.png <<'PY'
import sys
from PIL import Image
Image.open(sys.argv[1]).convert("RGB").save(sys.argv[2], optimize=True)
PY
echo "wrote docs/showcase.png"
