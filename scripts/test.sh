#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. GUI tests
# need a display, so the whole suite runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
jobs=$(nproc 2>/dev/null || echo 2)
cd "${TARVEL_BUILD_DIR:-build}"
xvfb-run -a -s "-screen 0 1600x1000x24" ctest --output-on-failure -j "$jobs" "$@"
