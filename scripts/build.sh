#!/usr/bin/env bash
# Configures and builds into build/ (or $TARVEL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TARVEL_BUILD_DIR:-build}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$jobs"
