#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need, when missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6 libgl-dev
  qt6-qpa-plugins libxkbcommon-dev
  ffmpeg libavcodec-extra sox libsox-fmt-all flac
  qt6-translations-l10n
  # the cue sheets' encodings
  libuchardet-dev
  # lupdate and lrelease build the English translation; CMake finds them through Qt6LinguistTools
  qt6-tools-dev qt6-l10n-tools
  fonts-wqy-microhei xvfb xauth imagemagick
  # cpack's Debian package: dpkg-shlibdeps finds the libraries, file finds the executables
  dpkg-dev file
  # the manual pages are written for scdoc; the package test runs Debian's and the desktops'
  # checkers on the package, man on its pages and bash on its completion
  scdoc lintian appstream desktop-file-utils man-db bash
  # the package recommends it; the package test loads the completion through it, as bash does
  bash-completion
  parallel
  # FAT and exFAT through FUSE: the tests publish outputs where no atomic rename refuses a target
  dosfstools fusefat exfat-fuse exfatprogs
  # the library benches hold the run against the encoder alone and against a plain tree walk
  lame rsync
  # the library suites kill a run at each step of a move by failing its system calls
  strace
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
