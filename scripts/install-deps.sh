#!/usr/bin/env bash
# The single list of Debian 12 packages that building, testing and running
# Varomby need. Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-14-dev          # fuzz targets (libFuzzer) and sanitizers
  # libraries
  qt6-base-dev libgl-dev            # the window (Qt 6 Widgets)
  libzydis-dev                      # x86 decoding
  libunicorn-dev                    # runs 32-bit image code on 64-bit hosts
  gcc-mingw-w64-i686                # builds the skin DLL and test DLLs
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-noto-cjk         # window tests and screenshots under X
  qemu-user g++-multilib            # the 32-bit native call thunk tests
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
