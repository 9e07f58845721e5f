#!/usr/bin/env bash
# Builds everything (warnings as errors) and runs the whole test suite.
#   scripts/test.sh                 normal build in build/
#   BUILD_DIR=... EXTRA_CMAKE=... scripts/test.sh   another configuration
#   BUILD_TARGET=... CTEST_ARGS=... scripts/test.sh  build one target, run a selection
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
bash scripts/configure.sh "$build"
cmake --build "$build" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
# A line per test passed says nothing: those are left out of what is printed, so that failures
# (with their output) and ctest's summary are what remains. The whole log stays in the build
# folder.
log="$build/ctest-last.log"
status=0
echo "Running the tests (a line for each: $log)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-} >"$log" 2>&1 || status=$?
grep -v -E '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed +[0-9.]+ sec$' "$log" || true
exit "$status"
