#!/usr/bin/env bash
# A short pass of every fuzzer from the committed seeds: about a minute each,
# new inputs kept in a scratch directory, so the seeds stay as they are. A
# crash fails the run and leaves its input as crash-… in build-fuzz/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${EPINAX_FUZZ_SECONDS:-60}"

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEPINAX_FUZZ=ON \
    -DEPINAX_TESTS=OFF -DEPINAX_BENCH=OFF -DEPINAX_GUI=OFF -DEPINAX_CLI=OFF > /dev/null
cmake --build build-fuzz -j2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run() {  # target, seed directory, extra options
    local target=$1 seeds=$2
    shift 2
    mkdir -p "$scratch/$target"
    echo "fuzz: $target for ${seconds}s"
    (cd build-fuzz && "fuzz/$target" -max_total_time="$seconds" -print_final_stats=0 "$@" \
        "$scratch/$target" "../$seeds" 2> "$scratch/$target.log") || { tail -n 40 "$scratch/$target.log"; exit 1; }
}
run fuzz_record_store tests/fuzz_corpus/record_store -max_len=4096
run fuzz_statement_reader tests/fuzz_corpus/statement
run fuzz_cli_check tests/fuzz_corpus/statement
run fuzz_cli_json tests/fuzz_corpus/cli_json
for kind in csv ods xlsx; do
    run "import/fuzz_workbook_$kind" "fuzz/import/corpus/$kind"
done
# FreeXL leaks on some damaged files it still opens; the program reads .xls
# in a child process, so only the child's memory is lost.
LSAN_OPTIONS="suppressions=$PWD/fuzz/import/freexl.supp" run import/fuzz_workbook_xls fuzz/import/corpus/xls
echo "fuzz: every target ran ${seconds}s without a crash"
