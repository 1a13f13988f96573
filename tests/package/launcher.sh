#!/usr/bin/env bash
# The launcher as desktops read it. Exits 77 (skipped) without desktop-file-utils.
#   launcher.sh DESKTOP_FILE
set -euo pipefail
if ! command -v desktop-file-validate >/dev/null; then
    echo "launcher: desktop-file-validate is not installed; skipped"
    exit 77
fi
# It exits 0 on warnings too: any line it prints is a fault.
output=$(desktop-file-validate "$1" 2>&1) || { echo "$output" >&2; exit 1; }
if [[ -n "$output" ]]; then
    echo "$output" >&2
    exit 1
fi
