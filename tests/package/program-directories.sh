#!/usr/bin/env bash
# Where a program keeps its files, by where it was put: only in its build
# tree beside itself; anywhere else in the user's data folder, with its pages
# in the share folder beside its bin folder when there is one.
#   program-directories.sh PROBE INSTALLED_DATA_DIR
set -euo pipefail
probe=$1
installed_data=$2

# The program sees its folder with every link resolved.
scratch=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

fail() {
    echo "program-directories: $*" >&2
    exit 1
}

# Each layout gets its own copy of the probe, as an install would.
run_in() {
    mkdir -p "$1"
    cp "$probe" "$1/epinax"
    (cd "$scratch" && "$1/epinax")
}

expect() {
    local layout=$1 program=$2 resources=$3 output
    output=$(run_in "$layout")
    [[ "$output" == *"program=$program"$'\n'* ]] || fail "$layout: expected program=$program, got: $output"
    [[ "$output" == *"resources=$resources" ]] || fail "$layout: expected resources=$resources, got: $output"
}

# Installed where the user can write, with no pages beside it: the folder
# stays untouched and the pages are looked for where the build installs them.
expect "$scratch/bare/bin" "$XDG_DATA_HOME/epinax/" "$installed_data/"
[[ -d "$XDG_DATA_HOME/epinax" ]] || fail "the user's data folder was not made"
[[ -z "$(ls -A "$scratch/bare/bin" | grep -v '^epinax$')" ]] || fail "something was written beside an installed program"

# Installed, or unpacked, with its share folder: its own pages.
mkdir -p "$scratch/root/usr/share/epinax"
expect "$scratch/root/usr/bin" "$XDG_DATA_HOME/epinax/" "$scratch/root/usr/share/epinax/"

# A build tree, marked by the build: everything beside the program.
mkdir -p "$scratch/build"
touch "$scratch/build/epinax-build-tree"
expect "$scratch/build" "$scratch/build/" "$scratch/build/"

# A folder named like the marker is no build tree.
mkdir -p "$scratch/odd/epinax-build-tree"
expect "$scratch/odd" "$XDG_DATA_HOME/epinax/" "$installed_data/"
