#!/usr/bin/env bash
# Builds the native 32-bit x86 machine and its tests with -m32 (just those,
# no Qt, Zydis or Unicorn) and runs them under qemu-i386.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/native32}"
cmake -S "$root/tests/memmodule/machine/standalone" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/tests/memmodule/machine/standalone/i686-linux.cmake" >/dev/null
cmake --build "$build" --target machine_tests -j2
ctest --test-dir "$build" --output-on-failure
