#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program. The program itself
# arrives together with its main window; until then this builds the core, its
# tests and the benchmark.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

echo "Everything was built in build/. The program itself is not yet available."
