#!/usr/bin/env bash
# A short pass of every fuzzer from the committed seeds, about a minute each,
# new inputs kept in a scratch directory, so the seeds stay as they are. The
# pass is the same at every run (a fixed seed and number of inputs), so that
# a run passes or fails on the code alone: finding new faults is the work of
# longer runs by hand (README). A crash fails the run and leaves its input as
# crash-… in build-fuzz/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scale="${EPINAX_FUZZ_SCALE:-1}"  # more inputs for a longer pass

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEPINAX_FUZZ=ON \
    -DEPINAX_TESTS=OFF -DEPINAX_BENCH=OFF -DEPINAX_GUI=OFF -DEPINAX_CLI=OFF > /dev/null
cmake --build build-fuzz -j2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run() {  # target, seed directory, number of inputs (about 45 s here), extra options
    local target=$1 seeds=$2 runs=$(($3 * scale))
    shift 3
    mkdir -p "$scratch/$target"
    echo "fuzz: $target, $runs inputs"
    (cd build-fuzz && "fuzz/$target" -seed=1 -runs="$runs" -max_total_time=$((300 * scale)) -print_final_stats=0 \
        "$@" "$scratch/$target" "../$seeds" 2> "$scratch/$target.log") || { tail -n 40 "$scratch/$target.log"; exit 1; }
}
run fuzz_record_store tests/fuzz_corpus/record_store 100000 -max_len=4096
run fuzz_statement_reader tests/fuzz_corpus/statement 16000
run fuzz_cli_check tests/fuzz_corpus/statement 17000
run fuzz_cli_json tests/fuzz_corpus/cli_json 110000
run import/fuzz_workbook_csv fuzz/import/corpus/csv 200000
run import/fuzz_workbook_ods fuzz/import/corpus/ods 150000
run import/fuzz_workbook_xlsx fuzz/import/corpus/xlsx 200000
# FreeXL leaks on some damaged files it still opens; the program reads .xls
# in a child process, so only the child's memory is lost.
LSAN_OPTIONS="suppressions=$PWD/fuzz/import/freexl.supp" run import/fuzz_workbook_xls fuzz/import/corpus/xls 8000
echo "fuzz: every target ran its inputs without a crash"
