#!/usr/bin/env bash
# Installs what is missing, builds Varomby (debug) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug -j"$(nproc)"
