#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with, when any is missing.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libpng-dev libjpeg-dev zlib1g-dev libogg-dev libvorbis-dev libvorbisenc2 libsndfile1-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  sox vorbis-tools ffmpeg
  libboost-dev picojson-dev libpixman-1-dev
  xvfb xauth x11-apps x11-utils imagemagick clang-format xdotool openbox
  # the lobby's hostile peers in the tests, and the JSON of the match simulator's example
  python3 jq
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
