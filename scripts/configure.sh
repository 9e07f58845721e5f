#!/usr/bin/env bash
# Configures a build folder the one way the README's commands share, so that running the program
# after the tests (or the other way round) reuses every object already built.
#   scripts/configure.sh [BUILD_DIR]        (default: build; EXTRA_CMAKE adds options)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Line tables only (-g1): stack traces keep their lines, the build stays quick.
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DQUILLFEN_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    "${launcher[@]}" ${EXTRA_CMAKE:-} >/dev/null
