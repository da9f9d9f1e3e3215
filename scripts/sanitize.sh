#!/usr/bin/env bash
# Builds the project twice out of tree and runs
#   - the whole suite under AddressSanitizer + UndefinedBehaviorSanitizer
#     (build-asan/), and
#   - the threaded suites (Dravix, UDS, simulated ECU, adapter switch,
#     connection, virtual bus, the timed simulated world) under ThreadSanitizer
#     (build-tsan/).
# Any report with a frame of ours is a fault; the suppression files beside
# this script only name reports that lie wholly inside system libraries.
# Too slow for CI on two cores: run it by hand before ending work that
# touches threads or memory ownership.
#   scripts/sanitize.sh [-jN] [asan|tsan]...   (default: both, -j4)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
supp="$root/scripts/sanitize"

jobs=4
kinds=()
for a in "$@"; do
  case "$a" in
    -j*) jobs=${a#-j} ;;
    asan|tsan) kinds+=("$a") ;;
    *) echo "usage: $0 [-jN] [asan|tsan]..." >&2; exit 2 ;;
  esac
done
[ ${#kinds[@]} -eq 0 ] && kinds=(asan tsan)

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}" CCACHE_NOHASHDIR=true
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# The executables whose code runs on more than one thread.
threaded=(test_dravix test_uds test_simecu test_simecu_e2e test_adapter test_connection test_sim_bus test_diagnosis_logic
  test_bus_time test_sim_station test_simtrailer)

configure_and_build() { # <dir> <flags>
  local dir=$1 flags=$2
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" -DCMAKE_MODULE_LINKER_FLAGS="$flags" \
    >"$dir/sanitize-configure.log" 2>&1 || { tail -20 "$dir/sanitize-configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs" >"$dir/sanitize-build.log" 2>&1 || { grep -E "error" "$dir/sanitize-build.log" | head -20; return 1; }
}

status=0
summary=()

for kind in "${kinds[@]}"; do
  case "$kind" in
  asan)
    dir=build-asan
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer: building $dir"
    if ! configure_and_build $dir "-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"; then
      summary+=("asan: build failed"); status=1; continue
    fi
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    echo "== running the whole suite under ASan+UBSan"
    (cd $dir && xvfb-run -a -s "-screen 0 1600x1000x24" ctest -j "$jobs" --output-on-failure) >$dir/sanitize-test.log 2>&1
    rc=$?
    reports=$(grep -cE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" $dir/sanitize-test.log)
    summary+=("asan+ubsan: $(grep -E 'tests passed' $dir/sanitize-test.log | tail -1), sanitizer reports: $reports (log: $dir/sanitize-test.log)")
    [ $rc -ne 0 ] || [ "$reports" -ne 0 ] && status=1
    unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
    ;;
  tsan)
    dir=build-tsan
    echo "== ThreadSanitizer: building $dir"
    if ! configure_and_build $dir "-fsanitize=thread -fno-omit-frame-pointer -g"; then
      summary+=("tsan: build failed"); status=1; continue
    fi
    export TSAN_OPTIONS="halt_on_error=0:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
    : >$dir/sanitize-test.log
    failed=0
    for t in "${threaded[@]}"; do
      [ -x "$dir/bin/$t" ] || continue
      echo "== $t under TSan"
      (cd $dir/bin && xvfb-run -a -s "-screen 0 1600x1000x24" ./"$t" --gtest_brief=1) >>$dir/sanitize-test.log 2>&1 || failed=$((failed + 1))
    done
    reports=$(grep -c "WARNING: ThreadSanitizer" $dir/sanitize-test.log)
    summary+=("tsan: ${#threaded[@]} threaded suites, $failed failed, sanitizer reports: $reports (log: $dir/sanitize-test.log)")
    [ $failed -ne 0 ] || [ "$reports" -ne 0 ] && status=1
    unset TSAN_OPTIONS
    ;;
  esac
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
