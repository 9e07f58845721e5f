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
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
