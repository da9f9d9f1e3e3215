#!/usr/bin/env bash
# Installs what is missing, builds and starts Tarvel. With no adapter attached
# the program talks to its built-in simulated ECU. With no display it starts
# under a virtual X server and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exe="${TARVEL_BUILD_DIR:-build}/bin/tarvel"
cd "$(dirname "$exe")"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Tarvel under Xvfb (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1600x1000x24" ./tarvel "$@"
fi
exec ./tarvel "$@"
