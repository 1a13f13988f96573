#!/usr/bin/env bash
# Builds and tests twice: the normal tree, then a tree under AddressSanitizer
# and UndefinedBehaviorSanitizer, so memory errors in the core fail the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

# The core and the command-line tool under the sanitizers; the windows are
# tested in the first tree (Qt's own libraries are not built for them).
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEPINAX_SANITIZE=ON -DEPINAX_BENCH=OFF -DEPINAX_GUI=OFF
cmake --build build-asan -j2
ctest --test-dir build-asan --output-on-failure -j2
