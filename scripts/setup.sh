#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config zlib1g-dev # native build
  libgtest-dev libgmock-dev                   # tests
  clang libclang-rt-14-dev                    # fuzzing (libFuzzer)
  libjpeg62-turbo-dev libpng-dev libwebp-dev libdeflate-dev imagemagick # pictures
  g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev  # Windows cross build
  nasm dpkg-dev                               # its picture libraries (scripts/windows-deps.sh)
  wine wine32:i386                            # the differential tests' Windows helper
  xvfb xdotool x11-utils fonts-ipafont-gothic # updater.exe's windows under Wine
  libgl1-mesa-dri                             # the X server's OpenGL, for Direct3D under Wine
  locales                                     # the English and Japanese user locales
)

# The user locales the tests run Windows programs in: Wine takes the user's locale from them.
ensure_locales() {
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  for locale in en_US ja_JP; do
    if ! locale -a 2>/dev/null | grep -qix "$locale.utf-\?8"; then
      $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
    fi
  done
}

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_locales
  exit 0
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386  # 32-bit Windows programs need Wine's i386 half
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_locales
