#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian machine (as root), and makes 32-bit Windows
# programs runnable: the kernel here cannot execute 32-bit x86 binaries, so qemu-user is
# registered with binfmt_misc as their interpreter and 32-bit Wine runs under it.
# Prints "wine32" or "wine64" as its last line: the Wine that can run the Windows tests.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 qemu-user
          python3 python3-pil pkg-config libstb-dev libpixman-1-dev libsdl2-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages and not root; install them or run as root" >&2
    exit 1
  fi
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

binfmt=/proc/sys/fs/binfmt_misc
register_qemu_i386() {
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
  [ -e "$binfmt/qemu-i386" ] && return 0
  # i386 ELF magic; the mask's \xfe on e_type matches executables (2) and PIE ones (3).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
    > "$binfmt/register" 2>/dev/null
}
if register_qemu_i386 && [ -e "$binfmt/qemu-i386" ]; then
  echo wine32
else
  echo "setup: WARNING: cannot register qemu-i386 with binfmt_misc; the Windows tests will run" \
       "the 64-bit build under 64-bit Wine instead of the 32-bit DLL" >&2
  echo wine64
fi
