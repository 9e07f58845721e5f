#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 (ASan + UBSan) in build-fuzz and runs each one:
# first over its seed corpus in fuzz/corpus/<target> (every seed must pass), then fuzzing for
# FUZZ_SECONDS seconds (default 30). New inputs go to build-fuzz/corpus/<target>, crashes to
# build-fuzz/artifacts/<target>. Exits non-zero when any target crashes, leaks or hangs.
#
#   scripts/fuzz.sh                        every target, 30 s each
#   FUZZ_SECONDS=600 scripts/fuzz.sh       a longer run
#   scripts/fuzz.sh ini_fuzzer format_fuzzer   only these targets
#   FUZZ_JOBS=2 scripts/fuzz.sh            targets run two at a time
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-30}
jobs=${FUZZ_JOBS:-1}

cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
    -DQUILLFEN_SANITIZE=address,undefined \
    -DQUILLFEN_BUILD_FUZZERS=ON -DQUILLFEN_BUILD_TESTS=OFF -DQUILLFEN_BUILD_BENCHMARKS=OFF \
    >/dev/null
cmake --build "$build" --target qf_fuzzers -j "${FUZZ_BUILD_JOBS:-$(nproc)}"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(cd tools/fuzz && ls ./*_fuzzer.cpp | sed 's|^\./||; s|\.cpp$||')
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_one() {
    local target=$1
    local bin="$root/$build/bin/$target"
    local seeds="$root/fuzz/corpus/$target"
    local work="$root/$build/corpus/$target"
    local artifacts="$root/$build/artifacts/$target/"
    local log="$root/$build/logs/$target.log"
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    : >"$log"
    # Replay: every seed once, no mutation.
    if [ -d "$seeds" ] && [ -n "$(ls -A "$seeds")" ]; then
        if ! "$bin" -runs=0 "$seeds" >>"$log" 2>&1; then
            echo "FAIL $target: a seed of fuzz/corpus/$target fails (see $log)"
            return 1
        fi
    else
        seeds=""
    fi
    # Fuzz: new inputs go to the work folder; the seeds stay as they are.
    if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$work" ${seeds:+"$seeds"} \
        >>"$log" 2>&1; then
        echo "FAIL $target: crash or hang, input saved under $artifacts (see $log)"
        return 1
    fi
    local execs
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
    local cov
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)
    printf '%-26s %12s execs in %4s s   coverage %s\n' "$target" "${execs:-?}" "$seconds" "${cov:-?}"
}

failed=0
if [ "$jobs" -le 1 ]; then
    for t in "${targets[@]}"; do
        run_one "$t" || failed=1
    done
else
    pids=()
    for t in "${targets[@]}"; do
        run_one "$t" &
        pids+=($!)
        if [ "${#pids[@]}" -ge "$jobs" ]; then
            wait "${pids[0]}" || failed=1
            pids=("${pids[@]:1}")
        fi
    done
    for p in "${pids[@]}"; do
        wait "$p" || failed=1
    done
fi
exit $failed
