#!/usr/bin/env bash
# Checks the formatting, builds and tests the normal tree, gives every fuzzer
# a short pass, and builds and tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, so memory errors anywhere fail the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh

# The sources as .clang-format writes them.
find common record_store entry statement import outputs cli ui tests bench fuzz \
    -name '*.cpp' -o -name '*.h' | xargs clang-format-14 --dry-run --Werror

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

bash scripts/fuzz-pass.sh

# Everything again under the sanitizers, the windows included: a window that
# goes while something still reaches it shows only here.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEPINAX_SANITIZE=ON -DEPINAX_BENCH=OFF -DEPINAX_GUI=ON
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure -j2
