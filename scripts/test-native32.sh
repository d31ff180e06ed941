#!/usr/bin/env bash
# Builds the in-memory loader, the native 32-bit x86 machine with its call
# thunk, and their tests with -m32 (no Qt, Zydis or Unicorn) and runs them
# under qemu-i386.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/native32}"
cmake -S "$root/tests/memmodule/native32" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE="$root/tests/memmodule/machine/standalone/i686-linux.cmake" >/dev/null
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure
