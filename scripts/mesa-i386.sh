#!/usr/bin/env bash
# The 32-bit OpenGL libraries (Mesa's software renderer) that Wine's Direct3D needs to make a
# device, unpacked from Debian's i386 packages into a folder under ~/.cache/zr keyed by their
# versions, without installing anything: installing them would also move the machine's 64-bit
# Mesa to their version. Only the packages the system lacks are unpacked. Standard output is the
# folder, or nothing when the system has them all or they cannot be had (then the Direct3D tests
# skip and say why). Progress goes to standard error.
#   Use: env LD_LIBRARY_PATH=<folder>/usr/lib/i386-linux-gnu LIBGL_DRIVERS_PATH=<folder>/usr/lib/i386-linux-gnu/dri wine ...
# for the Windows programs only: the X server must keep finding its own 64-bit driver.
set -uo pipefail

cache="${XDG_CACHE_HOME:-$HOME/.cache}/zr"
say() { printf 'mesa-i386: %s\n' "$*" >&2; }

# "name=version" of each i386 package an install would add, from apt's simulation.
wanted=$(apt-get install -s --no-install-recommends libgl1:i386 libgl1-mesa-dri:i386 \
  libglx-mesa0:i386 2>/dev/null | sed -n 's/^Inst \([^ ]*\):i386 .*(\([^ ]*\) .*/\1:i386=\2/p' | sort)
[ -n "$wanted" ] || exit 0 # installed, or unknown to apt

key=$(printf '%s\n' "$wanted" | sha256sum | cut -c1-12)
root="$cache/mesa-i386-$key"
if [ -f "$root/.complete" ]; then
  echo "$root"
  exit 0
fi

say "unpacking $(printf '%s\n' "$wanted" | wc -l) i386 packages into $root"
work=$(mktemp -d)
chmod 755 "$work" # apt downloads as its own user when it can
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2086 # one argument per package
if ! (cd "$work" && apt-get download -qq $wanted >&2); then
  say "the packages cannot be downloaded; the Direct3D tests will skip"
  exit 0
fi
rm -rf "$root"
mkdir -p "$root"
for deb in "$work"/*.deb; do dpkg-deb -x "$deb" "$root"; done
touch "$root/.complete"
echo "$root"
