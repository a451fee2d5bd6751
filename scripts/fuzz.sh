#!/usr/bin/env bash
# Runs the fuzz targets under libFuzzer with the address and undefined-
# behaviour sanitizers, each for SECONDS (default 600), starting from the
# seed corpus in fuzz/corpus (copied, so that the repository's corpus only
# changes when someone adds a case on purpose). Findings land in
# build-fuzz/findings/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      targets: sql tnsnames regedit
#                                              ini palette wndrecord export
#                                              clipboard ctlstate
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(sql tnsnames regedit ini palette wndrecord export clipboard ctlstate)
fi
build=${FUZZ_BUILD_DIR:-build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORVANE_SANITIZE=ON -DQUORVANE_FUZZ=ON -DQUORVANE_BUILD_TESTS=OFF
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    cp -n fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
    log="$build/fuzz-$t.log"
    if "$build/bin/fuzz_$t" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
        result=clean
    else
        result=FINDING
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "fuzz_$t: $result, $runs executions in ${seconds}s (log $log)"
done
exit $status
