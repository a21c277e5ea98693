#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined
# behaviour sanitizers, and runs each for MINUTES minutes (default 2) on its
# corpus in fuzz/corpus/<name>. New inputs land in build/fuzz/corpus/<name>;
# crashes in build/fuzz/crashes/<name>: copy those into fuzz/corpus/<name>
# once fixed, so the corpus replay in the test suite keeps them fixed.
#   scripts/fuzz.sh [MINUTES] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-2}
shift || true
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for dir in fuzz/corpus/*/; do names+=("$(basename "$dir")"); done
fi

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTESSALY_FUZZ=ON -DTESSALY_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
targets=()
for name in "${names[@]}"; do targets+=("fuzz_$name"); done
cmake --build build/fuzz --target "${targets[@]}" -j2

status=0
for name in "${names[@]}"; do
    mkdir -p "build/fuzz/corpus/$name" "build/fuzz/crashes/$name"
    echo "== fuzz_$name for $minutes min"
    if ! "build/fuzz/bin/fuzz_$name" -max_total_time=$((minutes * 60)) -rss_limit_mb=1024 -max_len=65536 \
        -artifact_prefix="build/fuzz/crashes/$name/" "build/fuzz/corpus/$name" "fuzz/corpus/$name" \
        2> "build/fuzz/fuzz_$name.log"; then
        echo "fuzz_$name found a fault: see build/fuzz/fuzz_$name.log and build/fuzz/crashes/$name"
        status=1
    fi
    tail -n 2 "build/fuzz/fuzz_$name.log"
done
exit $status
