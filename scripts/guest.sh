# The emulated 32-bit test machine: a Debian 12 guest under QEMU without KVM,
# whose 32-bit Wine runs the i686 build. Sourced after common.sh.
#
# The image is built once per machine from Debian's packages by
# scripts/guest/build-image.sh and kept outside the clone, in a folder named
# after a hash of its recipe: a second run (another clone, CI) reuses it and a
# changed recipe builds a new one.

TARVIK_GUEST_CACHE=${TARVIK_GUEST_CACHE:-/var/cache/tarvik32-guest}
# Everything the image is made from; a change to any of them rebuilds it.
TARVIK_GUEST_RECIPE=(scripts/guest/build-image.sh scripts/guest/init scripts/guest/bake.sh scripts/guest/acp.c)

tarvik_guest_recipe_hash() {
  (cd "$TARVIK_ROOT" && cat "${TARVIK_GUEST_RECIPE[@]}") | sha256sum | cut -c1-16
}

# tarvik_guest_boot IMAGE_DIR SHARE_DIR SECONDS [-snapshot]: boots the image
# with SHARE_DIR as the guest's /host and waits for it to power off, at most
# SECONDS. The guest runs SHARE_DIR/job.sh; its console goes to
# SHARE_DIR/console.log. QEMU's exit status says nothing about the job: the
# job's result lines in SHARE_DIR do.
tarvik_guest_boot() {
  local image=$1 share=$2 seconds=$3
  shift 3
  # -cpu max without SMAP: with it QEMU 7.2's emulation faults the guest
  # kernel on every Wine process. panic=-1 with -no-reboot: a guest whose
  # init dies ends QEMU instead of waiting for the time limit.
  timeout --kill-after=20 "$seconds" qemu-system-x86_64 \
    -accel tcg,thread=multi -cpu max,-smap -smp 2 -m 3072 \
    -nodefaults -no-user-config -display none -no-reboot -monitor none -serial stdio \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 quiet loglevel=3 panic=-1 init=/sbin/tarvik-init" \
    -drive "file=$image/guest.img,format=raw,if=virtio" \
    -virtfs "local,path=$share,mount_tag=work,security_model=none" \
    "$@" < /dev/null > "$share/console.log" 2>&1
}

# Sets TARVIK_GUEST_IMAGE to the image folder of the current recipe, building
# the image first when this machine has none (as root, as the packages need).
tarvik_guest_image() {
  TARVIK_GUEST_IMAGE=$TARVIK_GUEST_CACHE/$(tarvik_guest_recipe_hash)
  [ -f "$TARVIK_GUEST_IMAGE/ready" ] && return 0
  local run_as=()
  [ "$(id -u)" = 0 ] || run_as=(sudo)
  "${run_as[@]}" env TARVIK_GUEST_CACHE="$TARVIK_GUEST_CACHE" \
    bash "$TARVIK_ROOT/scripts/guest/build-image.sh" "$TARVIK_GUEST_IMAGE"
}

# Starts building the image in the background when this machine has none,
# so that a first run downloads and installs it while the trees build; the
# i686 stage's tarvik_guest_image then waits for it (the build holds a lock).
tarvik_guest_image_early() {
  [ -f "$TARVIK_GUEST_CACHE/$(tarvik_guest_recipe_hash)/ready" ] && return 0
  mkdir -p "$BUILD_DIR"
  echo "tarvik: building the 32-bit test machine in the background (log: $BUILD_DIR/guest-build.log)"
  (tarvik_guest_image > "$BUILD_DIR/guest-build.log" 2>&1 &)
}
