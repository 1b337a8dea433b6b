#!/usr/bin/env python3
"""Reads the files that bmp_samples writes with Pillow, an independent BMP reader, and checks
their size, mode and every pixel.

    check_samples.py BMP_SAMPLES_PROGRAM FOLDER

Exits 77 (skipped) when Pillow is missing; scripts/setup.sh installs it as python3-pil.
"""
import os
import re
import shutil
import subprocess
import sys

try:
    import PIL
    from PIL import Image
except ImportError:
    print("Pillow is not installed (Debian: python3-pil); skipping")
    sys.exit(77)


def expected(x, y):
    """The colour bmp_samples gives pixel (x, y), as (red, green, blue)."""
    return (((x ^ (y * 5)) * 3) & 255, (x * 29 + y * 3 + 5) & 255, (x * 7 + y * 13) & 255)


def check(path, width, height):
    problems = []
    with Image.open(path) as image:
        if image.format != "BMP" or image.mode != "RGB":
            return [f"format {image.format}, mode {image.mode}"]
        if image.size != (width, height):
            return [f"size {image.size}, want {(width, height)}"]
        pixels = image.load()
        for y in range(height):
            for x in range(width):
                if pixels[x, y] != expected(x, y):
                    problems.append(f"pixel ({x}, {y}) = {pixels[x, y]}, want {expected(x, y)}")
    return problems


def main():
    program, folder = sys.argv[1], sys.argv[2]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    subprocess.run([program, folder], check=True)
    names = sorted(os.listdir(folder))
    failed = 0
    for name in names:
        match = re.fullmatch(r"sample_(\d+)x(\d+)(_wide)?\.bmp", name)
        if not match:
            print(f"{name}: unexpected file")
            failed += 1
            continue
        problems = check(os.path.join(folder, name), int(match[1]), int(match[2]))
        for problem in problems[:5]:
            print(f"{name}: {problem}")
        failed += bool(problems)
    print(f"{len(names)} files read by Pillow {PIL.__version__}, {failed} failed")
    if len(names) < 13:
        print("fewer files than bmp_samples writes")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
