#!/usr/bin/env bash
# Makes Wine runnable on this machine for one lane.
#   enable-wine.sh --arch win64    Debian's wine and wine64: runs on every
#                                  x86-64 kernel; exits 0.
#   enable-wine.sh --arch win32 [--emulate]
#                                  Debian's wine and wine32 (with the i386
#                                  architecture added). Exits 0 when 32-bit
#                                  Linux programs (Wine's 32-bit loader is
#                                  one) run here, 3 when the kernel cannot
#                                  run them. With --emulate, such a kernel
#                                  gets qemu's i386 user-mode emulator
#                                  registered for them instead; Wine then
#                                  works, but a fresh prefix takes about half
#                                  an hour and each program minutes, too slow
#                                  for a test lane.
set -euo pipefail
usage() { echo "usage: $0 --arch win64 | --arch win32 [--emulate]" >&2; exit 2; }
[ "${1:-}" = "--arch" ] || usage
arch=${2:-}
emulate=false
[ "${3:-}" = "--emulate" ] && emulate=true

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

case "$arch" in
  win64)
    if ! installed wine64 || ! installed wine; then
      $sudo_cmd apt-get update -qq
      DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends wine wine64
    fi
    "$(command -v wine64 || echo /usr/lib/wine/wine64)" --version >/dev/null
    exit 0
    ;;
  win32) ;;
  *) usage ;;
esac

if ! installed wine32:i386; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends wine wine32:i386
fi

if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  exit 0
fi
if ! $emulate; then
  echo "This kernel cannot run 32-bit programs, which 32-bit Wine needs (--emulate: through qemu)."
  exit 3
fi

if ! command -v qemu-i386-static >/dev/null; then
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends qemu-user-static
fi
binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || $sudo_cmd mount -t binfmt_misc binfmt_misc "$binfmt"
if [ ! -e "$binfmt/qemu-i386" ]; then
  # 32-bit little-endian x86 executables and shared objects; F: the emulator
  # is opened now, so it also serves programs in other mount namespaces.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
    $sudo_cmd tee "$binfmt/register" >/dev/null
fi
/lib/ld-linux.so.2 --version >/dev/null
