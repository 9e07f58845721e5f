#!/usr/bin/env bash
# Builds everything (warnings as errors) and runs the whole test suite.
#   scripts/test.sh                 normal build in build/
#   BUILD_DIR=... EXTRA_CMAKE=... scripts/test.sh   another configuration
#   BUILD_TARGET=... CTEST_ARGS=... scripts/test.sh  build one target, run a selection
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
# shellcheck disable=SC2086
# Line tables only (-g1): stack traces keep their lines, the build stays quick.
cmake -S . -B "$build" -G Ninja -DQUILLFEN_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    ${EXTRA_CMAKE:-} >/dev/null
cmake --build "$build" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
