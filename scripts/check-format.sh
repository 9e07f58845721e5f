#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format-14 makes of it
# (.clang-format at the root). `clang-format-14 -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run -Werror
echo "format: every C++ file as clang-format-14 writes it"
