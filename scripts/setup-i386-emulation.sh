#!/usr/bin/env bash
# Makes Wine's 32-bit half runnable on a machine whose kernel runs no 32-bit code: 32-bit Linux
# programs then run under qemu's user-mode emulation, registered for i386 ELF in binfmt_misc.
# Exits 0 when /usr/lib/wine/wine runs, printing how ("natively" or "emulated by ..."), on
# standard output; otherwise prints why it cannot there and exits 1. Idempotent; it changes no other binfmt
# registration and replaces none that the machine already has. FERROLINK_FORCE_I386_EMULATION=1
# sets the emulation up where the kernel runs 32-bit code itself, to prove the emulated path
# there: once i386 ELF is registered, every 32-bit Linux program on the machine is emulated.
#
# qemu 8.1 and later honour MAP_FIXED_NOREPLACE; Debian 12's qemu 7.2 drops it and places each of
# Wine's address-space reservations elsewhere, so that a 32-bit process start takes about 52 s
# (about 65,000 mmap and as many munmap calls) instead of 0.2 s. Debian 12 takes qemu from its
# backports.
set -uo pipefail
WINE32=/usr/lib/wine/wine
QEMU=/usr/bin/qemu-i386
BINFMT=/proc/sys/fs/binfmt_misc
ENTRY=qemu-i386
# i386 ELF executables and shared objects, as Debian's qemu registers them for other hosts.
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32bit() { "$WINE32" --version >/dev/null 2>&1; }
cannot() { echo "$*"; exit 1; }
emulated() { echo "emulated by $("$QEMU" --version | head -1)"; exit 0; }

if [ "${FERROLINK_FORCE_I386_EMULATION:-}" != 1 ] && runs_32bit; then
  grep -qsx "interpreter $QEMU" "$BINFMT/$ENTRY" && grep -qsx enabled "$BINFMT/$ENTRY" && emulated
  echo natively
  exit 0
fi
[ -x "$WINE32" ] || cannot "Wine's 32-bit half ($WINE32) is not installed."
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || cannot "setting up the emulation needs root, and sudo asks for a password."
  sudo_cmd="sudo -n"
fi

# qemu 8.1 or later, with its static binaries in the package qemu-user since 9.1.
qemu_version() { "$QEMU" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p'; }
recent_qemu() { read -r major minor <<<"$(qemu_version)"; [ -n "${major:-}" ] && { [ "$major" -gt 8 ] || { [ "$major" -eq 8 ] && [ "$minor" -ge 1 ]; }; }; }
if ! recent_qemu; then
  source /etc/os-release
  release=()
  if [ "${VERSION_CODENAME:-}" = bookworm ]; then
    list=/etc/apt/sources.list.d/bookworm-backports.list
    if ! grep -rqs "bookworm-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
      echo "deb http://deb.debian.org/debian bookworm-backports main" | $sudo_cmd tee "$list" >/dev/null
    fi
    release=(-t bookworm-backports)
  fi
  echo "Installing qemu's user-mode emulation ${release[*]}" >&2
  $sudo_cmd apt-get update -qq
  # Without its recommended qemu-user-binfmt, which would register every other architecture.
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
    "${release[@]}" qemu-user >/dev/null || cannot "qemu-user could not be installed."
  recent_qemu || cannot "$QEMU is not qemu 8.1 or later: $("$QEMU" --version 2>&1 | head -1)."
fi

if [ ! -e "$BINFMT/register" ]; then
  $sudo_cmd mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null ||
    cannot "binfmt_misc cannot be mounted at $BINFMT."
fi
if [ -e "$BINFMT/$ENTRY" ]; then
  grep -qx "interpreter $QEMU" "$BINFMT/$ENTRY" && runs_32bit && emulated
  cannot "the machine's own $ENTRY registration is kept, and $WINE32 does not run with it:" \
    "$(tr '\n' ' ' <"$BINFMT/$ENTRY")"
fi
# F: the kernel opens the interpreter now, so that it is found from any mount namespace.
printf '%s' ":$ENTRY:M::$MAGIC:$MASK:$QEMU:F" | $sudo_cmd tee "$BINFMT/register" >/dev/null ||
  cannot "i386 ELF could not be registered in binfmt_misc."
runs_32bit || cannot "$WINE32 does not run under $QEMU: $("$WINE32" --version 2>&1 | head -1)"
emulated
