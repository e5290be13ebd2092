#!/usr/bin/env bash
# Cross-builds the picture libraries of the Windows program (libjpeg-turbo, libpng, libwebp, and
# libdeflate) as static i686 libraries from Debian's source packages, so that updater.exe needs no
# DLLs beside it, and GoogleTest for the unit suites built for Windows. They go into a prefix under ~/.cache/zr keyed by the package versions, and
# ~/.cache/zr/windeps points at it; the toolchain file looks there. A complete prefix is not
# rebuilt. Progress goes to standard error; standard output is the prefix path alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh >&2 # the cross compilers, nasm, dpkg-dev

# Raise when a change to this script must rebuild the libraries of unchanged packages.
revision=2
cache="${XDG_CACHE_HOME:-$HOME/.cache}/zr"
sources=(libjpeg-turbo libpng1.6 libwebp libdeflate)

say() { printf 'windows-deps: %s\n' "$*" >&2; }

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# apt-get source needs a deb-src entry; Debian images ship only deb ones. Copy those, in a file of
# our own, and refresh the package lists only when we had to add it.
ensure_deb_src() {
  if grep -Eqs '^deb-src[[:space:]]|^Types:.*deb-src' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; then
    return
  fi
  local debian=/etc/apt/sources.list.d/debian.sources
  [ -f "$debian" ] || { say "no deb-src entry, and no $debian to make one from"; exit 1; }
  say "adding deb-src entries and updating the package lists"
  sed -n '/^Types:.*\bdeb\b/,/^$/p' "$debian" |
    sed 's/^Types:.*/Types: deb-src/' | $sudo tee /etc/apt/sources.list.d/zr-deb-src.sources >/dev/null
  $sudo apt-get update -qq >&2
}

# Every version of a source package the lists offer, newest first, with its epoch.
offered_versions() {
  apt-cache showsrc --only-source "$1" | sed -n 's/^Version: //p' | sort -u -V -r
}

# Runs a build step with its output in a log, shown only when the step fails.
quietly() {
  if ! "$@" >"$work/log" 2>&1; then
    cat "$work/log" >&2
    say "failed: $*"
    exit 1
  fi
}

# Fetches a source package into $work/src-PACKAGE with Debian's patches applied, and notes the
# version in `built`. The archive has dropped the .dsc of a newest security version while still
# listing it (libpng1.6 1.6.39-2+deb12u6: 404), so older versions are tried in turn; when none
# downloads, the newest orig tarball is built without Debian's patches.
unpack() {
  local package=$1 version newest
  for version in $(offered_versions "$package"); do
    : "${newest:=$version}"
    if (cd "$work" && apt-get source --download-only "$package=$version" >"$work/log" 2>&1); then
      [ "$version" = "$newest" ] || say "$package $newest: not downloadable, using $version"
      quietly dpkg-source -x "$work/${package}_${version#*:}.dsc" "$work/src-$package"
      built+=("$package $version")
      return
    fi
  done
  say "$package $newest: no .dsc downloadable, building the orig tarball without Debian's patches"
  local uri name hash
  read -r uri name _ hash < <(apt-get source --print-uris "$package=$newest" |
    awk '$2 ~ /\.orig\.tar\.[a-z0-9]+$/') || { say "no orig tarball for $package"; exit 1; }
  quietly /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$work/$name" "$hash"
  mkdir "$work/src-$package"
  tar -xf "$work/$name" -C "$work/src-$package" --strip-components=1
  newest=${newest#*:}
  built+=("$package ${newest%-*} (orig tarball, without Debian's patches)")
}

# Configures (with the options given before the source folder), builds and installs one CMake
# project into the prefix, for i686.
cmake_install() {
  local dir=${*: -1}
  quietly cmake -S "$dir" -B "$dir/build-i686" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${@:1:$#-1}"
  quietly cmake --build "$dir/build-i686" -j "$(nproc)"
  quietly cmake --install "$dir/build-i686"
}

# Builds one package: fetch and unpack it, then its build command with the rest of the arguments.
build() {
  local package=$1
  shift
  local begun=$SECONDS
  unpack "$package"
  "$@" "$work/src-$package"
  say "${built[-1]}: $((SECONDS - begun)) s"
}

# libdeflate 1.14 has only a Makefile, which would name the static library libdeflatestatic.lib
# for MinGW; find_library(deflate) looks for the usual libdeflate.a.
make_deflate() {
  quietly make -C "$1" -j "$(nproc)" CC=i686-w64-mingw32-gcc-posix AR=i686-w64-mingw32-ar \
    STATIC_LIB_SUFFIX=.a libdeflate.a
  install -D -m 644 "$1/libdeflate.h" "$prefix/include/libdeflate.h"
  install -D -m 644 "$1/libdeflate.a" "$prefix/lib/libdeflate.a"
}

# GoogleTest comes from the sources the installed googletest package keeps in /usr/src (the tests
# of the Linux build use the same version), so its version is the installed one.
googletest_version() {
  dpkg-query -W -f '${Version}' googletest
}

make_googletest() {
  local begun=$SECONDS
  cp -a /usr/src/googletest "$work/src-googletest"
  cmake_install -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON "$work/src-googletest"
  built+=("googletest $(googletest_version) (/usr/src/googletest)")
  say "${built[-1]}: $((SECONDS - begun)) s"
}

ensure_deb_src
# The key covers what the lists offer now, so a new Debian upload makes a new prefix.
newest=()
for package in "${sources[@]}"; do
  newest+=("$package $(offered_versions "$package" | head -n 1)")
  [ "${newest[-1]}" != "$package " ] || { say "no source package $package in the lists"; exit 1; }
done
newest+=("googletest $(googletest_version)")
key=$(printf '%s\n' "${newest[@]}" "revision $revision" | sha256sum | cut -c1-12)
prefix="$cache/windeps-$key"
mkdir -p "$cache"

# One build at a time: two test runs on one machine would otherwise build into the same prefix.
exec 9>"$cache/windeps.lock"
flock 9

if [ ! -f "$prefix/.complete" ]; then
  started=$SECONDS
  rm -rf "$prefix"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  built=()
  # The builds find their own dependencies in the new prefix, never in an older one.
  export ZR_WINDEPS_PREFIX="$prefix"

  build libjpeg-turbo cmake_install \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
  build libpng1.6 cmake_install \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a
  build libwebp cmake_install \
    -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF \
    -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF \
    -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF \
    -DWEBP_BUILD_EXTRAS=OFF
  build libdeflate make_deflate
  make_googletest

  printf '%s\n' "${built[@]}" >"$prefix/versions.txt"
  touch "$prefix/.complete" # last: a prefix without it is rebuilt
  say "built in $((SECONDS - started)) s"
fi

ln -sfn "windeps-$key" "$cache/windeps"
echo "$prefix"
