#!/usr/bin/env bash
# Shows which folder links which (from the link graph the configure step
# writes to <build>/layers.txt) and fails when a folder reaches upward.
# The layers, from the ground up:
#   0 platform/    links nothing of ours outside platform/;
#   1 comm/, adapterlib/, standins/, sim/ and utilities/, each with its own
#     rules below (comm/ links no stand-in and nothing of sim/; sim/ links
#     nothing of comm/ but the SecurityAccess key it shares with the tester);
#   2 shell/       the services every page stands on: links no composition,
#                  nothing of sim/ and no stand-in;
#   3 controls/
#   4 pages/       pages/core and the function pages;
#   5 reports/, recorder/  the report and recorder pages (on the pages' state);
#   6 app/         the program that puts everything together;
#   7 tests/, bench/ (every test program counts as tests/).
# Only app/ and the tests link a folder's page windows (tarvel_*_pages), and
# nothing from shell/ up links sim/ or standins/ but app/ and the tests.
# comm/ sources name no simulation or stand-in and read no shell global by
# extern.
#   scripts/layers.sh [build-dir]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
graph="$build/layers.txt"
[ -f "$graph" ] || { echo "no $graph: configure the build first" >&2; exit 2; }

echo "== folder links (folder -> folders it links)"
sed -E 's#^([^/]+)/[^ ]+ -> ([^/]+)/.*#\1 \2#' "$graph" | awk '$1 != $2' | sort -u |
  awk '{a[$1] = a[$1] " " $2} END {for (k in a) print k " ->" a[k]}' | sort

fail=0
violation() { echo "REACHES UPWARD: $1"; fail=1; }

rank() {
  case "$1" in
    platform) echo 0 ;;
    comm|adapterlib|standins|sim|utilities) echo 1 ;;
    shell) echo 2 ;;
    controls) echo 3 ;;
    pages) echo 4 ;;
    reports|recorder) echo 5 ;;
    app) echo 6 ;;
    tests|bench) echo 7 ;;
    .) echo -1 ;;  # the project's wrappers of outside libraries (wx, data copy)
    *) echo 99 ;;  # a folder the rules do not know yet
  esac
}

while read -r from _ to; do
  ffolder=${from%%/*}; ftarget=${from#*/}
  tfolder=${to%%/*}; ttarget=${to#*/}
  [ "$ffolder" = "$tfolder" ] && continue
  fr=$(rank "$ffolder"); tr=$(rank "$tfolder")
  if [ "$fr" = 99 ] || [ "$tr" = 99 ]; then
    violation "$from -> $to (a folder without a layer: add it to scripts/layers.sh)"
    continue
  fi
  case "$ffolder" in
    platform)
      violation "$from -> $to" ;;
    sim)
      case "$tfolder" in
        platform) ;;
        comm) [ "$ttarget" = tarvel_security_key ] || violation "$from -> $to" ;;
        standins) [ "$ttarget" = tarvel_ch375 ] || violation "$from -> $to" ;;  # the simulated adapter's USB side
        adapterlib) [ "$ttarget" = dravix_protocol ] || violation "$from -> $to" ;;  # the packet formats it speaks
        *) violation "$from -> $to" ;;
      esac ;;
    standins)
      case "$tfolder" in platform|sim) ;; *) violation "$from -> $to" ;; esac ;;
    comm)
      case "$tfolder" in
        platform) ;;
        standins) [ "$ttarget" = tarvel_vendor_api ] || violation "$from -> $to (a stand-in in the production adapter code)" ;;
        *) violation "$from -> $to" ;;
      esac ;;
    adapterlib)
      case "$tfolder" in
        platform) ;;
        standins) [ "$ttarget" = tarvel_ch375 ] || violation "$from -> $to" ;;  # the USB driver, linked by its name
        *) violation "$from -> $to" ;;
      esac ;;
    utilities)
      [ "$tfolder" = platform ] || violation "$from -> $to" ;;
    app|tests|bench) ;;
    *)
      # shell/, controls/ and the page folders: only downward (reports/ and
      # recorder/ stand beside each other and link neither), never into
      # the simulation or the stand-ins, never a concrete page's windows.
      if [ "$tr" -ge "$fr" ]; then
        violation "$from -> $to"
      elif [ "$tfolder" = sim ] || [ "$tfolder" = standins ]; then
        violation "$from -> $to (the simulation or a stand-in below the program)"
      elif [[ "$ttarget" == tarvel_*_pages ]]; then
        violation "$from -> $to (a concrete page below the program)"
      fi ;;
  esac
done < "$graph"

# What the link graph cannot show: names and externs in the sources.
if grep -nE '\b(sim|standin)::|#include "(SimWorld|VirtualCanBus|SimEcu|[A-Za-z]*Standin)\.h"' comm/*.cpp comm/*.h; then
  violation "comm/ sources name the simulation or a stand-in"
fi
if grep -nE '^\s*extern\s+(int|bool|std::string)\s+[A-Z]' comm/*.cpp; then
  violation "comm/ reads a global of a higher layer by extern"
fi

if [ $fail -eq 0 ]; then
  echo "== no folder reaches upward"
fi
exit $fail
