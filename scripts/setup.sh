#!/usr/bin/env bash
# Installs, on a Debian machine (as root), what one purpose needs and nothing more:
#   setup.sh build     the main job: the native library, the morvane tool and Morvane.dll
#   setup.sh test      everything the test command builds: the build's packages, the test suite,
#                      the sanitizers and fuzzers, the bench's yardsticks, the install checks
#   setup.sh wine      makes 32-bit Windows programs runnable and prints "wine32", or, where that
#                      is impossible, installs the 64-bit fallback and prints "wine64"
#   setup.sh package   what scripts/package.sh needs to build the zip and the Debian packages
#   setup.sh docs      the chart and picture scripts
# Several purposes may be named at once.
set -euo pipefail

build=(cmake ninja-build g++ g++-mingw-w64-i686 libstb-dev)
test=("${build[@]}" gcc pkg-config libgtest-dev clang libclang-rt-14-dev python3 python3-pil
      libbenchmark-dev libpixman-1-dev libsdl2-dev adwaita-icon-theme)
# wine64 beside wine32: Wine then makes a 64-bit prefix that also runs 32-bit programs, and its
# set-up runs mostly natively. A 32-bit-only prefix is made wholly under the emulator, which has
# crashed or hung now and then on these machines; the 32-bit programs run the same in either.
wine=(wine wine32:i386 wine64 qemu-user)
wine64=(wine64 g++-mingw-w64-x86-64)
# dpkg-dev: dpkg-architecture and cpack's dpkg-shlibdeps; file: cpack finds ELF files with it;
# llvm: llvm-dlltool for the MSVC import library.
package=(cmake ninja-build g++ g++-mingw-w64-i686 dpkg-dev file llvm zip)
# The release checks: lintian, unzip, and lld and clang for the MSVC-style consumer.
test+=("${package[@]}" lintian lld unzip)
docs=(python3 python3-matplotlib python3-pil)

# A mirror caught mid-sync fails an index or two for a while (a file of unexpected size); apt
# keeps the lists it did fetch, which usually hold every package needed. So the update is tried a
# few times, once per run, then the install goes ahead, and it is the install that fails if a
# package is really out of reach.
updated=
update_lists() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update -qq >&2 && break
    if ((attempt < 3)); then
      echo "setup: apt-get update failed; trying again in 20 s" >&2
      sleep 20
    else
      echo "setup: WARNING: apt-get update failed three times; installing from the lists it has" >&2
    fi
  done
  updated=yes
}

# Installs the named packages that are missing.
install() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "setup: installing ${missing[*]}" >&2
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages and not root; install them or run as root" >&2
    exit 1
  fi
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
      updated=  # the lists must now be fetched for i386 too
    fi
  fi
  [ -n "$updated" ] || update_lists
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >&2
}

# The kernel here cannot execute 32-bit x86 binaries, so qemu-user is registered with binfmt_misc
# as their interpreter and 32-bit Wine runs under it.
binfmt=/proc/sys/fs/binfmt_misc
register_qemu_i386() {
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
  [ -e "$binfmt/qemu-i386" ] && return 0
  # i386 ELF magic; the mask's \xfe on e_type matches executables (2) and PIE ones (3).
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
    > "$binfmt/register" 2>/dev/null
}
# The 32-bit packages can be out of reach while the amd64 ones are not: a mirror whose i386
# security index is caught mid-sync leaves no i386 build of libraries that this machine already
# has at their security version, and apt then finds wine32 uninstallable.
setup_wine() {
  if ! install "${wine[@]}"; then
    echo "setup: WARNING: cannot install 32-bit Wine (see apt's messages above); the Windows" \
         "tests will run the 64-bit build under 64-bit Wine instead of the 32-bit DLL" >&2
  elif register_qemu_i386 && [ -e "$binfmt/qemu-i386" ]; then
    echo wine32
    return
  else
    echo "setup: WARNING: cannot register qemu-i386 with binfmt_misc; the Windows tests will run" \
         "the 64-bit build under 64-bit Wine instead of the 32-bit DLL" >&2
  fi
  install "${wine64[@]}"
  echo wine64
}

(($#)) || set -- build
for purpose in "$@"; do
  case $purpose in
    build) install "${build[@]}" ;;
    test) install "${test[@]}" ;;
    wine) setup_wine ;;
    package) install "${package[@]}" ;;
    docs) install "${docs[@]}" ;;
    *) echo "setup: unknown purpose '$purpose' (build, test, wine, package, docs)" >&2; exit 2 ;;
  esac
done
