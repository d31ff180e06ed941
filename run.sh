#!/usr/bin/env bash
# Installs what is missing, builds Varomby (release) and runs it.
#   ./run.sh [FILE1 FILE2]
# With a display the window opens (with two paths, both boxes filled);
# without one, the two files are compared on the command line instead.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/app/varomby "$@"
elif [ $# -eq 2 ]; then
  exec build/release/src/cli/varomby-cli "$@"
else
  echo "run.sh: no display; give two files to compare them on the command line" >&2
  exit 2
fi
