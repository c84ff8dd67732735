#!/usr/bin/env bash
# Builds the test guest into IMAGE_DIR, as root: a Debian 12 system from
# Debian's packages with 32-bit Wine, Xvfb, cabextract, gcab and the Japanese
# locale, its kernel and initramfs for QEMU to boot, and a Wine prefix made
# in a first boot. The folder appears only when the image works (Wine inside
# reports code page 932); other images in the cache are removed then.
#
#   build-image.sh IMAGE_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
source "$TARVIK_ROOT/scripts/guest.sh"

image=$1
cache=$(dirname "$image")
mkdir -p "$cache"
exec 9> "$cache/.lock"
flock 9  # one build at a time; a build that waited may find the image ready
[ -f "$image/ready" ] && exit 0

packages=(
  linux-image-amd64 initramfs-tools kmod
  wine wine32:i386 libxrender1:i386 fonts-wine fonts-ipafont-gothic
  xvfb xauth locales
  cabextract gcab unzip
)
# The same Debian archive this machine installs from.
mirrors=()
for sources in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
  if [ -s "$sources" ] && grep -q '^[^#]' "$sources"; then mirrors=("$sources"); break; fi
done

work=$image.building
rm -rf "$work"
mkdir -p "$work/share"
start=$SECONDS
echo "guest: building the test guest in $image from Debian's packages (log: $work/mmdebstrap.log)"
# The initramfs needs only what mounts the root disk (the default takes
# most of the kernel's modules and minutes to pack); it is set before the
# kernel package arrives. dpkg skips its fsync calls: a failed build is
# thrown away whole anyway.
initramfs_modules='mkdir -p "$1/etc/initramfs-tools/conf.d" "$1/usr/share/initramfs-tools/modules.d" &&
  echo MODULES=list > "$1/etc/initramfs-tools/conf.d/tarvik-guest" &&
  printf "virtio_pci\nvirtio_blk\next4\n" > "$1/usr/share/initramfs-tools/modules.d/tarvik-guest"'
bootstrap() {
  rm -rf "$work/root"
  mmdebstrap --verbose --variant=minbase --mode=root --architectures=amd64,i386 \
    --aptopt='APT::Install-Recommends "false"' --dpkgopt=force-unsafe-io \
    --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
    --dpkgopt='path-exclude=/usr/share/locale/*' --dpkgopt='path-include=/usr/share/locale/locale.alias' \
    --dpkgopt='path-exclude=/usr/share/info/*' \
    --essential-hook="$initramfs_modules" \
    --include="$(IFS=,; echo "${packages[*]}")" \
    bookworm "$work/root" "$@" > "$work/mmdebstrap.log" 2>&1
}
# A mirror caught mid-sync can fail one index (the security suite's i386
# list, say); then the main suites alone give a consistent amd64/i386 set.
if ! bootstrap "${mirrors[@]}"; then
  tail -5 "$work/mmdebstrap.log" >&2
  main_only=$work/main-only.sources
  if [ "${mirrors[0]:-}" = /etc/apt/sources.list.d/debian.sources ]; then
    awk 'BEGIN { RS = ""; ORS = "\n\n" } !/debian-security/' "${mirrors[0]}" > "$main_only"
  else
    echo "deb http://deb.debian.org/debian bookworm main" > "$main_only"
  fi
  echo "guest: trying again from the main suites only" >&2
  bootstrap "$main_only" || { tail -20 "$work/mmdebstrap.log" >&2; exit 1; }
fi
echo "guest: packages installed after $((SECONDS - start)) s"

root=$work/root
sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' "$root/etc/locale.gen"
chroot "$root" locale-gen > /dev/null
install -m 755 "$TARVIK_ROOT/scripts/guest/init" "$root/sbin/tarvik-init"
mkdir -p "$root/opt/tarvik"
cat > "$root/opt/tarvik/wine-env.sh" <<'ENV'
# The environment every Wine process in the guest runs with.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=win32 WINEPREFIX=/root/.wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
ENV
i686-w64-mingw32-gcc -O2 -o "$root/opt/tarvik/acp.exe" "$TARVIK_ROOT/scripts/guest/acp.c"
cp "$root"/boot/vmlinuz-* "$work/vmlinuz"
cp "$root"/boot/initrd.img-* "$work/initrd.img"
truncate -s 6G "$work/guest.img"
mkfs.ext4 -q -F -L tarvik-guest -d "$root" "$work/guest.img"
rm -rf "$root"
echo "guest: disk image written after $((SECONDS - start)) s"

cp "$TARVIK_ROOT/scripts/guest/bake.sh" "$work/share/job.sh"
tarvik_guest_boot "$work" "$work/share" 1200 ||
  { echo "guest: the first boot failed; console: $work/share/console.log" >&2; exit 1; }
if [ "$(cat "$work/share/acp.txt" 2>/dev/null)" != "ACP 932" ]; then
  echo "guest: Wine in the new guest does not report code page 932 ($(cat "$work/share/acp.txt" 2>/dev/null));" \
       "console: $work/share/console.log" >&2
  exit 1
fi
echo "guest: Wine prefix made, code page 932, after $((SECONDS - start)) s"

touch "$work/ready"
rm -rf "$image"
mv "$work" "$image"
for old in "$cache"/*; do
  [ "$old" = "$image" ] || rm -rf "$old"
done
