#!/usr/bin/env bash
# Installs what is missing, builds Varomby (release) and runs it.
#   ./run.sh [FILE1 FILE2]
# With a display the window opens (with two paths, both boxes filled);
# without one, the two files are compared on the command line instead.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
bash "$root/scripts/install-deps.sh"
(
  cd "$root"
  cmake --preset release >/dev/null
  cmake --build --preset release --target varomby varomby-cli
)
bin="$root/build/release/src"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/app/varomby" "$@"
elif [ $# -eq 2 ]; then
  exec "$bin/cli/varomby-cli" "$@"
else
  echo "run.sh: no display; give two files to compare them on the command line" >&2
  exit 2
fi
