#!/usr/bin/env bash
# Installs everything Tarvik32 needs on a Debian 12 machine (run as root).
# Idempotent: when every package is present and the locale exists it returns at once.
set -euo pipefail

packages=(
  wine wine32:i386 wine64
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  cmake make
  g++
  googletest
  xvfb xauth x11-utils
  fonts-ipafont-gothic fonts-wine
  locales
  imagemagick
  cabextract gcab
  libz-mingw-w64-dev
  clang libclang-rt-14-dev llvm zlib1g-dev
  zip unzip
  # The emulated 32-bit test machine (scripts/guest.sh) and its image.
  mmdebstrap qemu-system-x86 e2fsprogs
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one index now and then (seen: the i386
  # list of the security suite). Try again; if it still fails, install from
  # the main suites alone, where amd64 and i386 versions agree, rather than
  # let apt pair amd64 libraries from one suite with i386 ones from another.
  apt_options=()
  updated=0
  for attempt in 1 2 3; do
    if apt-get update -qq; then updated=1; break; fi
    echo "install-deps: apt-get update failed (try $attempt of 3)" >&2
    [ "$attempt" = 3 ] || sleep 10
  done
  if [ "$updated" = 0 ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
    main_only=$(mktemp -d)
    awk 'BEGIN { RS = ""; ORS = "\n\n" } !/debian-security/' /etc/apt/sources.list.d/debian.sources \
      > "$main_only/debian.sources"
    apt_options=(-o "Dir::Etc::SourceParts=$main_only" -o Dir::Etc::SourceList=/dev/null)
    echo "install-deps: installing from the main suites only" >&2
    apt-get "${apt_options[@]}" update -qq
  fi
  apt-get "${apt_options[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
