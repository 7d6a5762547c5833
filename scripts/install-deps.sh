#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
set -euo pipefail

packages=(
  # build and unit tests
  cmake ninja-build g++ pkg-config ccache libgtest-dev libgmock-dev libbenchmark-dev python3
  # fuzzing and the sanitizer runs
  clang libfuzzer-14-dev libclang-rt-14-dev
  # windows: the client, the tray and the installer
  qt6-base-dev qt6-base-dev-tools fontconfig fonts-dejavu-core fonts-liberation2
  # the closer's X11 back-end and its tests
  libx11-dev libxtst-dev libxres-dev xvfb jwm x11-utils xterm
  # the distribution files and the package
  libmspack-dev dpkg-dev fakeroot
  # generated sounds
  sox
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
