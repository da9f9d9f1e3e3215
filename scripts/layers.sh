#!/usr/bin/env bash
# Shows which folder links which (from the link graph the configure step
# writes to <build>/layers.txt) and fails when a folder reaches upward:
#   - platform/ links nothing of ours outside platform/;
#   - sim/ links nothing of comm/ but the SecurityAccess key it shares with
#     the tester, and nothing of the shell or the pages;
#   - comm/ (the production adapter and UDS code) links no stand-in, nothing
#     of sim/ and nothing of the shell or the pages;
#   - nothing below the shell links app/, pages/, controls/, reports/ or
#     recorder/;
#   - comm/ sources name no simulation or stand-in and read no shell global
#     by extern.
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

while read -r from _ to; do
  ffolder=${from%%/*}; ftarget=${from#*/}
  tfolder=${to%%/*}; ttarget=${to#*/}
  case "$ffolder" in
    platform)
      [ "$tfolder" = platform ] || violation "$from -> $to" ;;
    sim)
      case "$tfolder" in
        platform|sim) ;;
        comm) [ "$ttarget" = tarvel_security_key ] || violation "$from -> $to" ;;
        standins) [ "$ttarget" = tarvel_ch375 ] || violation "$from -> $to" ;;  # the simulated adapter's USB side
        adapterlib) [ "$ttarget" = dravix_protocol ] || violation "$from -> $to" ;;  # the packet formats it speaks
        *) violation "$from -> $to" ;;
      esac ;;
    standins)
      case "$tfolder" in platform|sim|standins) ;; *) violation "$from -> $to" ;; esac ;;
    comm)
      case "$tfolder" in
        platform|comm) ;;
        standins) [ "$ttarget" = tarvel_vendor_api ] || violation "$from -> $to (a stand-in in the production adapter code)" ;;
        *) violation "$from -> $to" ;;
      esac ;;
    adapterlib)
      case "$tfolder" in
        platform|adapterlib) ;;
        standins) [ "$ttarget" = tarvel_ch375 ] || violation "$from -> $to" ;;  # the USB driver, linked by its name
        *) violation "$from -> $to" ;;
      esac ;;
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
