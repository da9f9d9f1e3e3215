#!/usr/bin/env bash
# Writes a picture of every page in every language, for review (nothing
# compares them): <folder>/<language>-<tab>.png, the main window at the given
# size with the output pane shown, each page opened as the user opens it.
#   scripts/page-shots.sh [folder] [width height]
# Default: page-shots/ at 1280 x 800. Builds the picture program first and
# runs it on a virtual display (xvfb-run), one language after the other.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$(realpath -m "${1:-page-shots}")
width=${2:-1280}
height=${3:-800}
build=${TARVEL_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j3 --target page_shots
mkdir -p "$folder"
cd "$build/bin"
# A screen larger than the window, so the whole window is on it.
screen="-screen 0 $((width + 100))x$((height + 100))x24"
for language in zh en ru es pt; do
  xvfb-run -a -s "$screen" ./page_shots "$folder" "$width" "$height" --gtest_filter="*/$language" \
    --gtest_brief=1
done
echo "pictures in $folder"
