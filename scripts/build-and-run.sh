#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program. Run it as the
# user: the program then owns its files, and only installing missing Debian
# packages asks for sudo. The program runs from the build tree, which the
# build marks as its program directory: working files, reports and
# statements proposed for saving go there.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

exec build/epinax
